#include "qthost.h"

#include "desktop.h"
#include "formwindow.h"
#include "views.h"

#include <QAccessible>
#include <QApplication>
#include <QMessageBox>

namespace rtqt {

QtHost::QtHost()
{
    QApplication::setQuitOnLastWindowClosed(false);
    QAccessible::installFactory(windowAccessible);
    QAccessible::installFactory(viewAccessible);
}

QtHost::~QtHost()
{
    windows_.clear();
    // The windows' widgets go now, while the toolkit is still there.
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QAccessible::removeFactory(viewAccessible);
    QAccessible::removeFactory(windowAccessible);
}

FormWindow* QtHost::find(const rt::Form& form) const
{
    const auto it = windows_.find(&form);
    return it == windows_.end() ? nullptr : it->second.get();
}

void QtHost::formLoaded(rt::Form& form) { windows_[&form] = std::make_unique<FormWindow>(form); }

void QtHost::formShown(rt::Form& form)
{
    if (FormWindow* w = find(form))
        w->show();
}

void QtHost::formUnloaded(rt::Form& form) { windows_.erase(&form); }

void QtHost::focusMoved(rt::Control& control)
{
    if (FormWindow* w = find(control.form()))
        w->focus(control);
}

void QtHost::timerChanged(rt::Timer& timer)
{
    if (FormWindow* w = find(timer.form()))
        w->timerChanged(timer);
}

void QtHost::exec()
{
    running_ = true;
    QApplication::exec();
    running_ = false;
}

void QtHost::quit()
{
    // Outside the loop (tests drive events by hand) there is nothing to leave.
    if (running_)
        QCoreApplication::exit();
}

void QtHost::reportError(const std::string& title, const std::string& message)
{
    if (errorBoxes_)
        QMessageBox::critical(nullptr, QString::fromStdString(title),
                              QString::fromStdString(message));
}

QWidget* QtHost::window(const rt::Form& form) const
{
    const FormWindow* w = find(form);
    return w ? w->handle() : nullptr;
}

QWidget* QtHost::control(const rt::Control& control) const
{
    const FormWindow* w = find(control.form());
    return w ? w->control(control) : nullptr;
}

int run(int argc, char** argv, const rt::Product& product,
        const std::function<rt::Form&(rt::Application&)>& startup)
{
    ProcessSettings settings(argc > 0 ? argv[0] : nullptr);
    QApplication qapp(argc, argv);
    settings.started();
    QApplication::setApplicationName(QString::fromStdString(product.name));
    QApplication::setApplicationVersion(
        QStringLiteral("%1.%2").arg(product.major).arg(product.minor));
    QApplication::setDesktopFileName(QString::fromStdString(product.appId));

    QtHost host;
    return rt::run(host, product, startup);
}

} // namespace rtqt
