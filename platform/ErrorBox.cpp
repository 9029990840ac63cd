#include "ErrorBox.h"

#include <QApplication>
#include <QMessageBox>

namespace {
ErrorBoxHandler &handler()
{
    static ErrorBoxHandler current;
    return current;
}
} // namespace

void ShowErrorBox(const QString &message)
{
    if (handler()) {
        handler()(message);
        return;
    }
    QMessageBox::critical(QApplication::activeWindow(), QApplication::applicationName(), message);
}

ErrorBoxHandler SetErrorBoxHandler(ErrorBoxHandler replacement)
{
    ErrorBoxHandler previous = std::move(handler());
    handler() = std::move(replacement);
    return previous;
}
