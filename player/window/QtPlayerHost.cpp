#include "window/QtPlayerHost.h"

#include <QApplication>
#include <QFileDialog>
#include <QMessageBox>
#include <QThread>

namespace orvane {

void QtPlayerHost::Sleep(int milliseconds) {
    if (milliseconds > 0) QThread::msleep(static_cast<unsigned long>(milliseconds));
}

void QtPlayerHost::DoEvents() {
    QCoreApplication::processEvents(QEventLoop::AllEvents);
}

void QtPlayerHost::ShowMessage(QWidget* parent, const QString& title, const QString& text) {
    QMessageBox box(QMessageBox::Warning, title, text, QMessageBox::Ok, parent);
    box.exec();
}

std::optional<QString> QtPlayerHost::ChooseOpenFile(QWidget* parent,
                                                    const OpenFileRequest& request) {
    QFileDialog dialog(parent, request.Title, request.InitialFolder, request.Filter);
    dialog.setFileMode(QFileDialog::ExistingFile);  // the file and its folder must exist
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setOption(QFileDialog::ReadOnly, false);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return std::nullopt;
    return dialog.selectedFiles().constFirst();
}

std::optional<QString> QtPlayerHost::ChooseSaveFile(QWidget* parent,
                                                    const SaveFileRequest& request) {
    QFileDialog dialog(parent, request.Title, request.InitialPath, request.Filter);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setDefaultSuffix(request.DefaultSuffix);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return std::nullopt;
    return dialog.selectedFiles().constFirst();
}

void QtPlayerHost::EndProgram(int status) {
    ended_ = true;
    status_ = status;
    QCoreApplication::exit(status);
}

}  // namespace orvane
