#pragma once

#include <QString>
#include <QWidget>

namespace orvane {

// A single-line text box for showing values: a sunken border, the text on the
// palette's Base colour in its Text colour, left-aligned and vertically centred,
// clipped to the box. The player writes dozens of these per sample, so it is a plain
// painted widget rather than an editor.
class TextBox : public QWidget {
    Q_OBJECT
    Q_PROPERTY(QString text READ text WRITE setText)

public:
    explicit TextBox(QWidget* parent = nullptr);

    QString text() const { return text_; }
    void setText(const QString& text);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QString text_;
};

}  // namespace orvane
