#include "formwindow.h"

#include "desktop.h"
#include "views.h"

#include <QAccessibleWidget>
#include <QCloseEvent>
#include <QGroupBox>
#include <QIcon>
#include <QScreen>
#include <QStyle>
#include <QStyleOptionGroupBox>
#include <QTimer>

namespace rtqt {

// Qt scales logical pixels for high-DPI screens itself: lay out at 96 dpi.
constexpr int kLogicalDpi = 96;

// The widget at the top: activation and closing go to the model, until the
// form is unloaded.
class TopLevel : public QWidget {
public:
    explicit TopLevel(rt::Form& form) : form_(&form) {}
    void detach() { form_ = nullptr; }

protected:
    void changeEvent(QEvent* event) override
    {
        QWidget::changeEvent(event);
        if (form_ && event->type() == QEvent::ActivationChange && isActiveWindow())
            form_->userActivate();
    }
    void closeEvent(QCloseEvent* event) override
    {
        // The model decides; its unload takes this widget down.
        event->ignore();
        if (form_)
            form_->userClose();
    }

private:
    rt::Form* form_;
};

namespace {

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

rt::TextMetrics metricsIn(QWidget* top)
{
    return {[top](const rt::Frame& f) {
                return CaptionProbe(toUtf16(f.caption()), top).captionBottom();
            },
            [](const rt::Label& l) {
                // A little room for the glyphs' overhang at either end.
                return QFontMetrics(fontFor(l.font())).horizontalAdvance(toUtf16(l.caption())) + 2;
            },
            [](const rt::Label& l) { return QFontMetrics(fontFor(l.font())).height(); }};
}

} // namespace

FormWindow::FormWindow(rt::Form& form) : form_(form), top_(new TopLevel(form))
{
    // Fixed size: nothing to maximise.
    top_->setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                         Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                         Qt::WindowCloseButtonHint);
    top_->setWindowTitle(toUtf16(form.caption()));
    if (const QPixmap icon = pixmapFor(form.icon()); !icon.isNull())
        top_->setWindowIcon(QIcon(icon));
    layout_ = std::make_unique<rt::Layout>(form, kLogicalDpi, metricsIn(top_));
    top_->setFixedSize(layout_->clientWidth(), layout_->clientHeight());

    for (rt::Control* c : form.controls()) {
        if (c->kind() == rt::Control::Kind::Timer) {
            auto& timer = static_cast<rt::Timer&>(*c);
            auto* qtimer = new QTimer(top_);
            QObject::connect(qtimer, &QTimer::timeout, qtimer, [&timer] { timer.tick(); });
            timers_[&timer] = qtimer;
            continue;
        }
        QWidget* parent = c->container() ? control(*c->container()) : top_;
        if (View* view = makeView(*c, parent)) {
            view->place(*layout_);
            views_.push_back(view);
        }
    }
    const auto order = form.tabOrder();
    for (std::size_t i = 1; i < order.size(); ++i)
        QWidget::setTabOrder(control(*order[i - 1]), control(*order[i]));
}

FormWindow::~FormWindow() { close(); }

QWidget* FormWindow::handle() const { return top_; }

QWidget* FormWindow::control(const rt::Control& control) const
{
    for (View* view : views_)
        if (&view->model() == &control)
            return view->handle();
    return nullptr;
}

void FormWindow::show()
{
    if (!top_->isVisible()) {
        const QRect screen = top_->screen()->availableGeometry();
        top_->move(screen.center() - top_->rect().center());
        top_->show();
        if (const rt::Control* first = form_.focused())
            focus(*first);
    } else {
        top_->raise();
    }
    top_->activateWindow();
}

void FormWindow::focus(const rt::Control& control)
{
    if (QWidget* w = this->control(control))
        w->setFocus();
}

void FormWindow::timerChanged(rt::Timer& timer)
{
    const auto it = timers_.find(&timer);
    if (it == timers_.end() || closed_)
        return;
    // Starting a running timer again restarts its period.
    if (timer.running())
        it->second->start(timer.interval());
    else
        it->second->stop();
}

void FormWindow::close()
{
    if (closed_)
        return;
    closed_ = true;
    for (auto& [timer, qtimer] : timers_)
        qtimer->stop();
    for (View* view : views_)
        view->detach();
    top_->detach();
    top_->hide();
    top_->deleteLater();
}

QAccessibleInterface* windowAccessible(const QString&, QObject* object)
{
    // Screen readers announce a window by its role and title; a bare
    // top-level widget would otherwise be presented as an anonymous filler.
    if (auto* top = dynamic_cast<TopLevel*>(object))
        return new QAccessibleWidget(top, QAccessible::Window);
    return nullptr;
}

} // namespace rtqt
