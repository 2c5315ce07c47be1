#include "qthost.h"

#include "codepage.h"
#include "fieldedit.h"

#include <QAccessibleWidget>
#include <QApplication>
#include <QCloseEvent>
#include <QGroupBox>
#include <QIcon>
#include <QLabel>
#include <QMessageBox>
#include <QPixmap>
#include <QPushButton>
#include <QScreen>
#include <QTimer>

#include <cmath>
#include <cstdio>
#include <cstdlib>

namespace rtqt {

// ---- Text across the boundary

// Every byte maps to one character of the Basic Multilingual Plane, so a
// widget's positions and the field's byte offsets stay the same.
static QString widen(const rt::Text& text, char32_t (*map)(unsigned char) noexcept)
{
    QString out(static_cast<qsizetype>(text.size()), Qt::Uninitialized);
    for (std::size_t i = 0; i < text.size(); ++i)
        out[static_cast<qsizetype>(i)] =
            QChar(static_cast<char16_t>(map(static_cast<unsigned char>(text[i]))));
    return out;
}

QString toDisplay(const rt::Text& text) { return widen(text, rt::codepage::displayForm); }

QString toUnicode(const rt::Text& text) { return widen(text, rt::codepage::toUnicode); }

// What the code page cannot hold arrives as "?", typed or pasted alike.
rt::Integer keyCode(char32_t ch) { return rt::codepage::fromUnicode(ch).value_or('?'); }

rt::Text fromUnicode(const QString& text)
{
    rt::Text out;
    out.reserve(static_cast<std::size_t>(text.size()));
    for (const char32_t ch : text.toUcs4())
        out.push_back(static_cast<char>(keyCode(ch)));
    return out;
}

int toPixels(int twips) { return static_cast<int>(std::lround(twips / 15.0)); }

// ---- Windows

namespace {

QRect pixels(const rt::Rect& r)
{
    return {toPixels(r.left), toPixels(r.top), toPixels(r.width), toPixels(r.height)};
}

QFont fontFor(const rt::Font& f)
{
    QFont font = QApplication::font();
    if (f.family == "sans-serif") {
        font.setStyleHint(QFont::SansSerif);
        font.setFamilies({QStringLiteral("Sans Serif")});
    }
    if (f.pointSize > 0)
        font.setPointSizeF(f.pointSize);
    font.setBold(f.bold);
    return font;
}

class LabelView : public QLabel, public rt::ControlView {
public:
    LabelView(rt::Label& model, QWidget* parent) : QLabel(parent), model_(model)
    {
        setTextFormat(Qt::PlainText);
        setAlignment(Qt::AlignLeft | Qt::AlignTop);
        setFont(fontFor(model.font()));
        model_.setView(this);
        modelChanged();
    }
    void modelChanged() override
    {
        setText(toUnicode(model_.caption()));
        fitText();
    }

    // The toolkit's sans-serif face can be wider than the one the layout was
    // drawn with: grow to the right rather than cut the caption off.
    void fitText()
    {
        const int need = fontMetrics().horizontalAdvance(text()) + 2;
        if (need > width())
            resize(need, height());
    }

private:
    rt::Label& model_;
};

// The top-level widget of a window: reports activation and closing to the model.
class FormWindow : public QWidget {
public:
    explicit FormWindow(rt::Form& form) : form_(form) {}

protected:
    void changeEvent(QEvent* event) override
    {
        QWidget::changeEvent(event);
        if (event->type() == QEvent::ActivationChange && isActiveWindow())
            form_.app().dispatch([this] { form_.app().activate(form_); });
    }
    void closeEvent(QCloseEvent* event) override
    {
        // The model decides; its unload takes this widget down.
        event->ignore();
        form_.app().dispatch([this] { form_.unload(); });
    }

private:
    rt::Form& form_;
};

// Screen readers announce a window by its role and title; a bare top-level
// widget would otherwise be presented as an anonymous filler.
QAccessibleInterface* formWindowAccessible(const QString&, QObject* object)
{
    if (auto* window = dynamic_cast<FormWindow*>(object))
        return new QAccessibleWidget(window, QAccessible::Window);
    return nullptr;
}

} // namespace

struct QtHost::Window {
    QWidget* top = nullptr;
    std::map<const rt::Control*, QWidget*> widgets;
};

QtHost::QtHost()
{
    QApplication::setQuitOnLastWindowClosed(false);
    QAccessible::installFactory(formWindowAccessible);
}

QtHost::~QtHost()
{
    closeAll();
    QAccessible::removeFactory(formWindowAccessible);
}

// Widgets never outlive their link to the model: it is cut before they go.
static void detachViews(const rt::Form& form)
{
    for (rt::Control* c : form.controls())
        c->setView(nullptr);
}

void QtHost::closeAll()
{
    for (auto& [timer, qtimer] : timers_)
        delete qtimer;
    timers_.clear();
    for (auto& [form, window] : windows_) {
        detachViews(*form);
        delete window->top;
    }
    windows_.clear();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

void QtHost::formLoaded(rt::Form& form)
{
    auto window = std::make_unique<Window>();
    auto* top = new FormWindow(form);
    window->top = top;
    // Fixed-size windows: nothing to maximise.
    top->setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                        Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                        Qt::WindowCloseButtonHint);
    top->setWindowTitle(toUnicode(form.caption()));
    top->setFixedSize(toPixels(form.clientWidth()), toPixels(form.clientHeight()));
    if (!form.icon().empty())
        top->setWindowIcon(QIcon(QString::fromStdString(form.icon())));

    for (rt::Control* c : form.controls()) {
        QWidget* parent = c->container() ? window->widgets.at(c->container()) : top;
        QWidget* w = nullptr;
        switch (c->kind()) {
        case rt::Control::Kind::TextBox:
            w = new FieldEdit(static_cast<rt::TextBox&>(*c), parent);
            break;
        case rt::Control::Kind::Label:
            w = new LabelView(static_cast<rt::Label&>(*c), parent);
            break;
        case rt::Control::Kind::CommandButton: {
            auto& model = static_cast<rt::CommandButton&>(*c);
            auto* button = new QPushButton(toUnicode(model.caption()), parent);
            // Enter on a focused button clicks it, as Space does.
            button->setAutoDefault(true);
            QObject::connect(button, &QPushButton::clicked, button, [&model] { model.click(); });
            w = button;
            break;
        }
        case rt::Control::Kind::Frame: {
            auto* box = new QGroupBox(toUnicode(static_cast<rt::Frame&>(*c).caption()), parent);
            box->setFocusPolicy(Qt::NoFocus);
            w = box;
            break;
        }
        case rt::Control::Kind::Image: {
            auto* picture = new QLabel(parent);
            picture->setPixmap(
                QPixmap(QString::fromStdString(static_cast<rt::Image&>(*c).picture())));
            picture->setAlignment(Qt::AlignLeft | Qt::AlignTop);
            w = picture;
            break;
        }
        case rt::Control::Kind::Timer: {
            auto& model = static_cast<rt::Timer&>(*c);
            auto* timer = new QTimer();
            QObject::connect(timer, &QTimer::timeout, timer, [&model] { model.tick(); });
            timers_[&model] = timer;
            continue;
        }
        }
        w->setObjectName(QString::fromStdString(c->name()));
        w->setGeometry(pixels(c->geometry()));
        if (auto* label = dynamic_cast<LabelView*>(w))
            label->fitText();
        if (!c->canFocus())
            w->setFocusPolicy(Qt::NoFocus);
        window->widgets[c] = w;
    }

    const auto order = form.tabOrder();
    for (std::size_t i = 1; i < order.size(); ++i)
        QWidget::setTabOrder(window->widgets.at(order[i - 1]), window->widgets.at(order[i]));

    windows_[&form] = std::move(window);
}

void QtHost::formShown(rt::Form& form)
{
    QWidget* top = window(form);
    if (!top)
        return;
    if (!top->isVisible()) {
        const QRect screen = top->screen()->availableGeometry();
        top->move(screen.center() - top->rect().center());
        top->show();
        if (rt::Control* focus = form.focused())
            widget(*focus)->setFocus();
    } else {
        top->raise();
    }
    top->activateWindow();
}

void QtHost::formUnloaded(rt::Form& form)
{
    const auto it = windows_.find(&form);
    if (it == windows_.end())
        return;
    for (rt::Control* c : form.controls()) {
        if (c->kind() != rt::Control::Kind::Timer)
            continue;
        if (const auto t = timers_.find(static_cast<rt::Timer*>(c)); t != timers_.end()) {
            t->second->stop();
            t->second->deleteLater();
            timers_.erase(t);
        }
    }
    // Unloading can happen inside one of the window's own events (a click,
    // an activation change): take it down once that event is over.
    detachViews(form);
    it->second->top->hide();
    it->second->top->deleteLater();
    windows_.erase(it);
}

void QtHost::timerChanged(rt::Timer& timer)
{
    const auto it = timers_.find(&timer);
    if (it == timers_.end())
        return;
    if (timer.running())
        it->second->start(timer.interval());
    else
        it->second->stop();
}

void QtHost::quit() { QCoreApplication::exit(exitCode_); }

void QtHost::reportError(const std::string& message)
{
    exitCode_ = 1;
    std::fprintf(stderr, "numberwell: %s\n", message.c_str());
    if (QGuiApplication::platformName() != QLatin1String("offscreen"))
        QMessageBox::critical(nullptr, QStringLiteral(NW_NAME), QString::fromStdString(message));
}

QWidget* QtHost::window(const rt::Form& form) const
{
    const auto it = windows_.find(&form);
    return it == windows_.end() ? nullptr : it->second->top;
}

QWidget* QtHost::widget(const rt::Control& control) const
{
    const auto it = windows_.find(&control.form());
    if (it == windows_.end())
        return nullptr;
    const auto w = it->second->widgets.find(&control);
    return w == it->second->widgets.end() ? nullptr : w->second;
}

// ---- Start-up

namespace {

// Calls back once the watched widget has been painted for the first time.
class FirstFrameWatch : public QObject {
public:
    FirstFrameWatch(QWidget* target, std::function<void(QWidget*)> done)
        : target_(target), done_(std::move(done))
    {
        target_->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (watched == target_ && event->type() == QEvent::Paint && done_) {
            auto done = std::move(done_);
            done_ = nullptr;
            QTimer::singleShot(0, target_, [done, t = target_] { done(t); });
        }
        return false;
    }

private:
    QWidget* target_;
    std::function<void(QWidget*)> done_;
};

bool haveDisplay()
{
    if (std::getenv("QT_QPA_PLATFORM"))
        return true;
    const char* x = std::getenv("DISPLAY");
    const char* wl = std::getenv("WAYLAND_DISPLAY");
    return (x && *x) || (wl && *wl);
}

} // namespace

int runWith(int argc, char** argv, const std::function<rt::Form&(rt::Application&)>& startup,
            const std::function<void(QWidget*)>& firstFrame)
{
    if (!haveDisplay()) {
        std::fprintf(stderr, "numberwell: no display found (neither DISPLAY nor WAYLAND_DISPLAY is "
                             "set); run it on a desktop, or without one as: xvfb-run numberwell\n");
        return 2;
    }
    QApplication qapp(argc, argv);
    QApplication::setApplicationName(QStringLiteral(NW_NAME));
    QApplication::setApplicationVersion(
        QStringLiteral("%1.%2").arg(rt::Application::major()).arg(rt::Application::minor()));
    QApplication::setDesktopFileName(QStringLiteral(NW_APP_ID));

    QtHost host;
    int code = 0;
    {
        rt::Application app(host);
        rt::Form& form = startup(app);
        app.dispatch([&] { form.show(); });
        std::unique_ptr<FirstFrameWatch> watch;
        if (firstFrame && host.window(form))
            watch = std::make_unique<FirstFrameWatch>(host.window(form), firstFrame);
        code = app.ended() ? host.exitCode() : QApplication::exec();
        watch.reset();
        host.closeAll();
    }
    return code;
}

} // namespace rtqt
