#include "qthost.h"

#include "boundary.h"
#include "display.h"
#include "fieldedit.h"
#include "layout.h"
#include "statusline.h"
#include "titlebar.h"

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
#include <QStyle>
#include <QStyleOptionGroupBox>
#include <QTimer>

#include <cstdio>
#include <cstring>

namespace rtqt {

QString toDisplay(const rt::Text& text) { return QString::fromStdU16String(rt::toDisplay(text)); }

QString toUtf16(const rt::Text& text) { return QString::fromStdU16String(rt::toUtf16(text)); }

rt::Text fromUtf16(const QString& text) { return rt::fromUtf16(text.toStdU16String()); }

namespace {

// Qt scales logical pixels for high-DPI screens itself: lay out at 96 dpi.
constexpr int kLogicalDpi = 96;

QRect qrect(const rt::PixelRect& r) { return {r.left, r.top, r.width, r.height}; }

QFont fontFor(const rt::Font& f)
{
    QFont font = QApplication::font();
    if (f.face == rt::Font::Face::SansSerif) {
        font.setStyleHint(QFont::SansSerif);
        font.setFamilies({QStringLiteral("Sans Serif")});
    }
    if (f.pointSize > 0)
        font.setPointSizeF(f.pointSize);
    font.setBold(f.bold);
    return font;
}

QPixmap pixmapFor(rt::Picture picture)
{
    switch (picture) {
    case rt::Picture::ProgramIcon:
        return QPixmap(QStringLiteral(":/numberwell/numberwell.png"));
    case rt::Picture::None:
        break;
    }
    return {};
}

class LabelView : public QLabel, public rt::ControlView {
public:
    LabelView(rt::Label& model, const rt::Layout& layout, QWidget* parent)
        : QLabel(parent), model_(model), layout_(layout)
    {
        setTextFormat(Qt::PlainText);
        setAlignment(Qt::AlignLeft | Qt::AlignTop);
        setFont(fontFor(model.font()));
        model_.setView(this);
        modelChanged();
    }
    void modelChanged() override
    {
        setText(toUtf16(model_.caption()));
        setGeometry(qrect(layout_.rect(model_)));
    }

private:
    rt::Label& model_;
    const rt::Layout& layout_;
};

// The top-level widget of a window: activation and closing go to the model.
class FormWindow : public QWidget {
public:
    explicit FormWindow(rt::Form& form) : form_(form) {}

protected:
    void changeEvent(QEvent* event) override
    {
        QWidget::changeEvent(event);
        if (event->type() == QEvent::ActivationChange && isActiveWindow())
            form_.userActivate();
    }
    void closeEvent(QCloseEvent* event) override
    {
        // The model decides; its unload takes this widget down.
        event->ignore();
        form_.userClose();
    }

private:
    rt::Form& form_;
};

// Screen readers announce a window by its role and title; a bare top-level
// widget would otherwise be presented as an anonymous filler.
QAccessibleInterface* formWindowAccessible(const QString& className, QObject* object)
{
    if (auto* window = dynamic_cast<FormWindow*>(object))
        return new QAccessibleWidget(window, QAccessible::Window);
    if (QAccessibleInterface* bar = titleBarAccessible(className, object))
        return bar;
    return statusLineAccessible(className, object);
}

// How far down a frame's caption reaches, as the style draws it: some styles
// pad the caption row beyond the font's height.
class CaptionProbe : public QGroupBox {
public:
    CaptionProbe(const QString& caption, QWidget* window) : QGroupBox(caption, window) {}
    int captionBottom()
    {
        QStyleOptionGroupBox option;
        initStyleOption(&option);
        return style()
                   ->subControlRect(QStyle::CC_GroupBox, &option, QStyle::SC_GroupBoxLabel, this)
                   .bottom() +
               1;
    }
};

// Calls back once the watched widget has been painted for the first time.
class FirstFrameWatch : public QObject {
public:
    FirstFrameWatch(QWidget* target, std::function<void(QWidget*)> done)
        : QObject(target), target_(target), done_(std::move(done))
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

// Widgets never outlive their link to the model: it is cut before they go.
void detachViews(const rt::Form& form)
{
    for (rt::Control* c : form.controls())
        c->setView(nullptr);
}

} // namespace

struct QtHost::Window {
    QWidget* top = nullptr;
    std::unique_ptr<rt::Layout> layout;
    std::map<rt::Control*, QWidget*, std::less<>> widgets;
};

QtHost::QtHost()
{
    QApplication::setQuitOnLastWindowClosed(false);
    QAccessible::installFactory(formWindowAccessible);
    // Whatever moved the focus (a click, Tab, the toolkit itself), the model hears of it.
    focusWatch_ =
        QObject::connect(qApp, &QApplication::focusChanged, [this](QWidget*, QWidget* now) {
            for (const auto& [form, window] : windows_)
                for (const auto& [control, widget] : window->widgets)
                    if (widget == now)
                        form->userFocus(*control);
        });
}

QtHost::~QtHost()
{
    for (auto& [form, window] : windows_) {
        detachViews(*form);
        delete window->top;
    }
    for (auto& [timer, qtimer] : timers_)
        delete qtimer;
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QObject::disconnect(focusWatch_);
    QAccessible::removeFactory(formWindowAccessible);
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
    top->setWindowTitle(toUtf16(form.caption()));
    if (const QPixmap icon = pixmapFor(form.icon()); !icon.isNull())
        top->setWindowIcon(QIcon(icon));

    window->layout = std::make_unique<rt::Layout>(
        form, kLogicalDpi,
        rt::TextMetrics{
            [top](const rt::Frame& f) {
                return CaptionProbe(toUtf16(f.caption()), top).captionBottom();
            },
            [](const rt::Label& l) {
                // A little room for the glyphs' overhang at either end.
                return QFontMetrics(fontFor(l.font())).horizontalAdvance(toUtf16(l.caption())) + 2;
            },
            [](const rt::Label& l) { return QFontMetrics(fontFor(l.font())).height(); }});
    const rt::Layout& layout = *window->layout;
    // The window grows by the bar; its content keeps the layout's pixels below it.
    QWidget* content = top;
    int barHeight = 0;
    if (titleBars_) {
        auto* bar = new TitleBar(top->windowTitle(), top->windowIcon(), top);
        barHeight = bar->sizeHint().height();
        bar->setGeometry(0, 0, layout.clientWidth(), barHeight);
        content = new QWidget(top);
        content->setGeometry(0, barHeight, layout.clientWidth(), layout.clientHeight());
    }
    top->setFixedSize(layout.clientWidth(), barHeight + layout.clientHeight());

    for (rt::Control* c : form.controls()) {
        QWidget* parent = c->container() ? window->widgets.at(c->container()) : content;
        QWidget* w = nullptr;      // what shows the control
        QWidget* placed = nullptr; // what sits at its place, when that is not w itself
        switch (c->kind()) {
        case rt::Control::Kind::TextBox: {
            auto& model = static_cast<rt::TextBox&>(*c);
            if (model.accessibleRole() == rt::TextBox::Role::Status) {
                auto* line = new StatusLine(model, parent);
                placed = line;
                w = line->field();
            } else {
                w = new FieldEdit(model, parent);
            }
            break;
        }
        case rt::Control::Kind::Label:
            w = new LabelView(static_cast<rt::Label&>(*c), layout, parent);
            break;
        case rt::Control::Kind::CommandButton: {
            auto& model = static_cast<rt::CommandButton&>(*c);
            auto* button = new QPushButton(toUtf16(model.caption()), parent);
            // Enter on a focused button clicks it, as Space does.
            button->setAutoDefault(true);
            QObject::connect(button, &QPushButton::clicked, button, [&model] { model.click(); });
            w = button;
            break;
        }
        case rt::Control::Kind::Frame:
            w = new QGroupBox(toUtf16(static_cast<rt::Frame&>(*c).caption()), parent);
            break;
        case rt::Control::Kind::Image: {
            auto* picture = new QLabel(parent);
            picture->setPixmap(pixmapFor(static_cast<rt::Image&>(*c).picture()));
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
        (placed ? placed : w)->setGeometry(qrect(layout.rect(*c)));
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
        if (firstFrame_)
            new FirstFrameWatch(top, std::exchange(firstFrame_, nullptr));
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
    detachViews(form);
    it->second->top->hide();
    it->second->top->deleteLater();
    windows_.erase(it);
}

void QtHost::focusMoved(rt::Control& control)
{
    if (QWidget* w = widget(control))
        w->setFocus();
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

void QtHost::exec() { QApplication::exec(); }

void QtHost::quit() { QCoreApplication::exit(); }

void QtHost::reportError(const std::string& title, const std::string& message)
{
    if (errorBoxes_)
        QMessageBox::critical(nullptr, QString::fromStdString(title),
                              QString::fromStdString(message));
}

void QtHost::setFirstFrame(std::function<void(QWidget*)> firstFrame)
{
    firstFrame_ = std::move(firstFrame);
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

int run(int argc, char** argv, const rt::Product& product,
        const std::function<rt::Form&(rt::Application&)>& startup,
        std::function<void(QWidget*)> firstFrame)
{
    DisplayProbe probe = systemProbe();
    const DisplayChoice display = chooseDisplay(systemEnvironment(), probe);
    if (display.platform.empty()) {
        const char* slash = argc > 0 ? std::strrchr(argv[0], '/') : nullptr;
        const char* program = slash ? slash + 1 : argc > 0 ? argv[0] : "numberwell";
        std::fprintf(stderr,
                     "%s: no display found (%s); run it on a desktop, or without one as: "
                     "xvfb-run %s\n",
                     program, display.problem.c_str(), program);
        return 2;
    }
    if (!display.userChosen)
        qputenv("QT_QPA_PLATFORM", display.platform.c_str());
    // The windows paint in software. In Qt 6.4 the toolkit's own Wayland
    // title bar brings up EGL and the GPU driver only to ask whether it may
    // draw one; without it the window is shared memory alone and the
    // compositor decorates it where it can.
    if (display.platform.find("wayland") != std::string::npos &&
        !qEnvironmentVariableIsSet("QT_WAYLAND_DISABLE_WINDOWDECORATION"))
        qputenv("QT_WAYLAND_DISABLE_WINDOWDECORATION", "1");

    QApplication qapp(argc, argv);
    probe.held.reset();
    QApplication::setApplicationName(QString::fromStdString(product.name));
    QApplication::setApplicationVersion(
        QStringLiteral("%1.%2").arg(product.major).arg(product.minor));
    QApplication::setDesktopFileName(QString::fromStdString(product.appId));

    QtHost host;
    host.setTitleBars(display.ownTitleBar);
    host.setFirstFrame(std::move(firstFrame));
    return rt::run(host, product, startup);
}

} // namespace rtqt
