#include "ErrorBox.h"

#include <QApplication>
#include <QPointer>

namespace {
ErrorBoxHandler &handler()
{
    static ErrorBoxHandler current;
    return current;
}
} // namespace

std::unique_ptr<QMessageBox> MakeMessageBox(QMessageBox::Icon icon, const QString &text,
                                            QMessageBox::StandardButtons buttons)
{
    auto box = std::make_unique<QMessageBox>(icon, QApplication::applicationName(), QString(), buttons,
                                             QApplication::activeWindow());
    box->setTextFormat(Qt::PlainText);
    box->setText(text);
    return box;
}

void ShowErrorBox(const QString &message)
{
    if (handler()) {
        handler()(message);
        return;
    }
    // The owner window may go while the box waits (a close request from
    // outside): then the box went with it.
    const QPointer<QMessageBox> box = MakeMessageBox(QMessageBox::Critical, message).release();
    box->exec();
    delete box.data();
}

ErrorBoxHandler SetErrorBoxHandler(ErrorBoxHandler replacement)
{
    ErrorBoxHandler previous = std::move(handler());
    handler() = std::move(replacement);
    return previous;
}
