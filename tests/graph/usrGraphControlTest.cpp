#include <gtest/gtest.h>

#include <QApplication>
#include <QFontMetrics>
#include <QLabel>

#include <meter/ColourTranslation.h>
#include "GraphTestSupport.h"

namespace {

using namespace graphtest;
using meter::Colour;
namespace ErrorNumber = orvane::ErrorNumber;
using orvane::usrGraph;

// A graph with the pinned test font, as the layout would set it.
std::unique_ptr<usrGraph> MakeLabelledGraph() {
    auto graph = MakeGraph(200, 120, 0, 100);
    graph->SetFontName(QStringLiteral("DejaVu Sans"));
    graph->SetFontSize(10);
    return graph;
}

QSize TextSize(const usrGraph& graph, const QString& text) {
    const QFontMetrics metrics(graph.Picture1()->font());
    return {metrics.horizontalAdvance(text), metrics.height()};
}

TEST(GraphControl, FreshControlHasTheDocumentedDefaults) {
    usrGraph graph;
    EXPECT_FALSE(graph.Initialized());
    EXPECT_FALSE(graph.MinValue().has_value());
    EXPECT_FALSE(graph.MaxValue().has_value());
    EXPECT_FALSE(graph.Threshold1.has_value());
    EXPECT_FALSE(graph.Threshold2.has_value());
    EXPECT_EQ(graph.ThresholdColor1(), Colour(0x0000FFFF));
    EXPECT_EQ(graph.ThresholdColor2(), Colour(0x000000FF));
    EXPECT_EQ(graph.LineWidth(), 0);
    EXPECT_EQ(graph.ThresholdLineWidth(), 0);
    EXPECT_TRUE(graph.TextVisible());
    // The labels take the plot's font.
    EXPECT_EQ(graph.txtMin()->font(), graph.Picture1()->font());
    EXPECT_EQ(graph.txtMax()->font(), graph.Picture1()->font());
}

TEST(GraphControl, PenWidthsOfOneOrLessAreStoredAsZero) {
    usrGraph graph;
    const std::pair<int, int> cases[] = {{1, 0}, {0, 0}, {-7, 0}, {2, 2}, {3, 3}, {32767, 32767}};
    for (const auto& [in, stored] : cases) {
        graph.SetLineWidth(in);
        EXPECT_EQ(graph.LineWidth(), stored) << in;
        graph.SetThresholdLineWidth(in);
        EXPECT_EQ(graph.ThresholdLineWidth(), stored) << in;
    }
    // Beyond 16 bits the write fails and the stored width stays.
    EXPECT_EQ(ErrorNumberOf([&] { graph.SetLineWidth(32768); }), ErrorNumber::Overflow);
    EXPECT_EQ(ErrorNumberOf([&] { graph.SetThresholdLineWidth(100000); }), ErrorNumber::Overflow);
    EXPECT_EQ(graph.LineWidth(), 32767);
    EXPECT_EQ(graph.ThresholdLineWidth(), 32767);
}

TEST(GraphControl, ScaleLabelsShowTheValueWithATrailingSpaceSizedToTheText) {
    auto graph = MakeLabelledGraph();
    graph->SetMaxValue(8000);
    EXPECT_EQ(graph->txtMax()->text(), QStringLiteral("8000 "));
    EXPECT_EQ(graph->txtMax()->geometry(), QRect(QPoint(0, 0), TextSize(*graph, "8000 ")));

    graph->SetMinValue(-2.25);
    const QSize minSize = TextSize(*graph, "-2.25 ");
    EXPECT_EQ(graph->txtMin()->text(), QStringLiteral("-2.25 "));
    EXPECT_EQ(graph->txtMin()->size(), minSize);
    EXPECT_EQ(graph->txtMin()->y(), 120 - minSize.height()) << "bottom-aligned";

    const std::pair<std::optional<double>, const char*> texts[] = {
        {0.5, "0.5 "},
        {1e20, "1E+20 "},
        {1e-5, "1E-05 "},
        {0.0001, "0.0001 "},
        {-0.0, "0 "},
        {1.0 / 3, "0.333333333333333 "},
        {123456789012345.0, "123456789012345 "},
        {std::nullopt, " "}};
    for (const auto& [value, text] : texts) {
        graph->SetMinValue(value);
        EXPECT_EQ(graph->txtMin()->text(), QString::fromLatin1(text));
    }
}

TEST(GraphControl, FontChangesReachPlotAndLabelsAndResizeTheLabels) {
    auto graph = MakeLabelledGraph();
    graph->SetMaxValue(100);
    graph->SetMinValue(0);
    const int smallHeight = graph->txtMin()->height();

    graph->SetFontSize(20);
    graph->SetFontBold(true);
    graph->SetFontItalic(true);
    EXPECT_EQ(graph->FontName(), QStringLiteral("DejaVu Sans"));
    EXPECT_EQ(graph->FontSize(), 20);
    EXPECT_TRUE(graph->FontBold());
    EXPECT_TRUE(graph->FontItalic());
    for (const QWidget* widget : {graph->Picture1(), static_cast<QWidget*>(graph->txtMin()),
                                  static_cast<QWidget*>(graph->txtMax())}) {
        EXPECT_EQ(widget->font().pointSize(), 20);
        EXPECT_TRUE(widget->font().bold());
    }
    EXPECT_GT(graph->txtMin()->height(), smallHeight);
    EXPECT_EQ(graph->txtMax()->size(), TextSize(*graph, "100 "));
    EXPECT_EQ(graph->txtMin()->y(), 120 - graph->txtMin()->height());

    graph->SetFontSize(0);  // fonts have at least one point
    EXPECT_EQ(graph->FontSize(), 1);
}

TEST(GraphControl, ResizePlacesPictureAndLabels) {
    auto graph = MakeLabelledGraph();
    graph->SetMinValue(0);
    graph->SetMaxValue(100);
    graph->show();
    graph->resize(300, 90);
    EXPECT_EQ(graph->Picture1()->geometry(), QRect(0, 0, 300, 90));
    EXPECT_EQ(graph->txtMax()->pos(), QPoint(0, 0));
    EXPECT_EQ(graph->txtMin()->geometry(),
              QRect(QPoint(0, 90 - TextSize(*graph, "0 ").height()), TextSize(*graph, "0 ")));
}

TEST(GraphControl, TextVisibleHidesBothLabelsButNotThePlot) {
    auto graph = MakeLabelledGraph();
    graph->SetMaxValue(100);
    graph->show();
    for (int i = 0; i < 50; ++i) graph->AddPoint(i * 2);
    const QImage plot = graph->PlotImage();
    graph->SetTextVisible(false);
    EXPECT_FALSE(graph->TextVisible());
    EXPECT_FALSE(graph->txtMin()->isVisible());
    EXPECT_FALSE(graph->txtMax()->isVisible());
    EXPECT_EQ(graph->PlotImage(), plot);
    // With the labels hidden the control shows exactly the plot.
    EXPECT_EQ(graph->grab().toImage().convertToFormat(QImage::Format_RGB32), plot);
    graph->SetTextVisible(true);
    EXPECT_TRUE(graph->txtMax()->isVisible());
}

TEST(GraphControl, BackColorInitializesAndColoursSurfaceAndLabels) {
    usrGraph graph;
    graph.resize(50, 30);
    graph.SetBackColor(Colour::Rgb(10, 20, 30));
    EXPECT_TRUE(graph.Initialized());
    EXPECT_EQ(graph.BackColor(), Colour::Rgb(10, 20, 30));
    EXPECT_EQ(CountColour(graph.PlotImage(), qRgb(10, 20, 30)), 50 * 30);
    EXPECT_EQ(graph.txtMin()->palette().color(QPalette::Window), QColor(10, 20, 30));
    EXPECT_EQ(graph.txtMax()->palette().color(QPalette::Window), QColor(10, 20, 30));

    // A second write rebuilds from the erased picture.
    graph.SetMinValue(0);
    graph.SetMaxValue(10);
    for (int i = 0; i < 5; ++i) graph.AddPoint(i);
    graph.SetBackColor(Colour::Rgb(40, 50, 60));
    EXPECT_EQ(CountColour(graph.PlotImage(), qRgb(40, 50, 60)), 50 * 30);
}

TEST(GraphControl, SystemColoursFollowThePalette) {
    // A system colour as the plot's background, and as the labels' text colour.
    usrGraph graph;
    graph.resize(20, 10);
    graph.SetBackColor(Colour::System(meter::SystemColour::ButtonFace));
    EXPECT_EQ(graph.PlotImage().pixel(5, 5),
              meter::ToQColor(Colour::System(meter::SystemColour::ButtonFace),
                              graph.Picture1()->palette())
                  .rgb());
    graph.SetFontColor(Colour::Rgb(255, 255, 255));
    EXPECT_EQ(graph.FontColor(), Colour::Rgb(255, 255, 255));
    EXPECT_EQ(graph.txtMax()->palette().color(QPalette::WindowText), QColor(Qt::white));
}

}  // namespace
