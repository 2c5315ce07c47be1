#include "views.h"

#include "boundary.h"

#include <optional>
#include <string>
#include <utility>
#include <vector>

using emscripten::val;

namespace rtweb {

val toDisplay(const rt::Text& text) { return val(rt::toDisplay(text)); }

val toUtf16(const rt::Text& text) { return val(rt::toUtf16(text)); }

rt::Text fromUtf16(const val& text)
{
    return text.isString() ? rt::fromUtf16(text.as<std::u16string>()) : rt::Text();
}

namespace {

std::string px(int pixels) { return std::to_string(pixels) + "px"; }

void moveTo(const val& element, const rt::PixelRect& r, bool sized = true)
{
    val style = element["style"];
    style.set("left", px(r.left));
    style.set("top", px(r.top));
    if (sized) {
        style.set("width", px(r.width));
        style.set("height", px(r.height));
    }
}

std::string css(rt::Rgb c)
{
    return "rgb(" + std::to_string(c.r) + "," + std::to_string(c.g) + "," + std::to_string(c.b) +
           ")";
}

// The model's background, and the text colour that goes with it, whatever
// the page's colour scheme; forced colours still override both.
void showColors(const val& element, const rt::TextBox& box)
{
    val style = element["style"];
    style.set("backgroundColor", box.backColor() ? css(*box.backColor()) : "");
    style.set("color", box.foreColor() ? css(*box.foreColor()) : "");
}

void setAttribute(const val& element, const char* name, const std::string& value)
{
    if (value.empty())
        element.call<void>("removeAttribute", val(name));
    else
        element.call<void>("setAttribute", val(name), val(value));
}

// ---- Text field: an <input> that shows an rt::TextBox. Typing, pasting,
// dropping, cutting, deleting and replacing all arrive as beforeinput, which
// is cancelled and carried out by the model; Enter, Escape and Backspace
// are keys the field's KeyPress sees, so they are taken at keydown.

class FieldView : public View {
public:
    FieldView(rt::TextBox& box, const val& parent)
        : View(box, element("input", "nw-field"), parent), box_(box)
    {
        val input = handle();
        input.set("type", "text");
        input.set("autocomplete", "off");
        input.set("spellcheck", false);
        listen("keydown beforeinput input copy cut compositionstart compositionend focus select "
               "selectionchange");
        show();
    }

    void show() override { show(false); }

private:
    void event(const std::string& type, const val& e) override
    {
        if (type == "keydown")
            keyDown(e);
        else if (type == "beforeinput")
            beforeInput(e);
        else if (type == "copy" || type == "cut")
            toClipboard(type == "cut", e);
        else if (type == "compositionstart")
            composing_ = true;
        else if (type == "compositionend")
            compositionEnd(e);
        else if (type == "input" && !composing_)
            show(true); // an edit the page would not let us cancel
        else if (type == "focus")
            box_.form().userFocus(box_);
        if (type == "focus" || type == "select" || type == "selectionchange")
            mirrorSelection();
    }

    void keyDown(const val& e)
    {
        if (e["isComposing"].as<bool>())
            return;
        mirrorSelection();
        const std::string key = e["key"].as<std::string>();
        const rt::KeyModifiers modifiers{e["ctrlKey"].as<bool>(), e["altKey"].as<bool>(),
                                         e["metaKey"].as<bool>()};
        rt::Integer code = 0;
        if (key == "Enter")
            code = 13;
        else if (key == "Escape")
            code = 27;
        else if (key == "Backspace")
            code = 8;
        else if (rt::isCommand(modifiers) && (key == "a" || key == "A")) {
            e.call<void>("preventDefault");
            box_.select(0, static_cast<rt::Long>(box_.text().size()));
            return;
        } else {
            return;
        }
        e.call<void>("preventDefault");
        // Control+Backspace would delete a word: left out.
        if (code != 8 || !rt::isCommand(modifiers))
            box_.typeKey(code);
    }

    void beforeInput(const val& e)
    {
        const std::string kind = e["inputType"].as<std::string>();
        // Composition cannot be cancelled; what it commits is typed at its end.
        if (kind == "insertCompositionText" || kind == "deleteCompositionText")
            return;
        e.call<void>("preventDefault");
        mirrorSelection();
        if (kind == "insertText") {
            typeText(e["data"]);
        } else if (kind.starts_with("insertFrom") || kind == "insertReplacementText") {
            val data = e["data"];
            if (!data.isString() && e["dataTransfer"].as<bool>())
                data = e["dataTransfer"].call<val>("getData", val("text/plain"));
            box_.paste(fromUtf16(data));
        } else if (kind == "deleteContentBackward") {
            box_.typeKey(8); // a Backspace that came without its key, as on touch keyboards
        } else if (kind == "deleteContentForward" ||
                   (kind.starts_with("delete") && box_.selLength() > 0)) {
            box_.pressDelete();
        }
        // Left out: undo and redo, which would edit the text around the
        // model, and deleting a word or line with nothing selected.
    }

    void typeText(const val& text)
    {
        for (const char code : fromUtf16(text))
            box_.typeKey(static_cast<rt::Integer>(static_cast<unsigned char>(code)));
    }

    void compositionEnd(const val& e)
    {
        composing_ = false;
        show(true); // the pre-edit text goes
        typeText(e["data"]);
    }

    // The real characters, not the pictures the field shows for control codes.
    void toClipboard(bool cut, const val& e)
    {
        mirrorSelection();
        e.call<void>("preventDefault");
        if (box_.selLength() == 0)
            return;
        const rt::Text text = cut ? box_.cut() : box_.copy();
        e["clipboardData"].call<void>("setData", val("text/plain"), toUtf16(text));
    }

    // Selections made with the mouse or the keys, once the page has made them.
    void mirrorSelection()
    {
        if (syncing_ || composing_)
            return;
        val input = handle();
        const auto start = input["selectionStart"].as<rt::Long>();
        const auto end = input["selectionEnd"].as<rt::Long>();
        if (start != box_.selStart() || end - start != box_.selLength())
            box_.select(start, end - start);
    }

    // The model whole: text, selection, enabled, colours, name. `force`
    // writes the text and selection even where the element seems to agree.
    void show(bool force)
    {
        syncing_ = true;
        val input = handle();
        const val shown = toDisplay(box_.text());
        if (force || !input["value"].strictlyEquals(shown))
            input.set("value", shown);
        const rt::Long start = box_.selStart(), end = start + box_.selLength();
        // A matching selection is left alone, so a backward one keeps its anchor.
        if (force || input["selectionStart"].as<rt::Long>() != start ||
            input["selectionEnd"].as<rt::Long>() != end)
            input.call<void>("setSelectionRange", start, end);
        input.set("disabled", !box_.enabled());
        setAttribute(input, "aria-label", box_.accessibleName());
        showColors(input, box_);
        syncing_ = false;
    }

    rt::TextBox& box_;
    bool syncing_ = false;
    bool composing_ = false;
};

// ---- Status line: a text field whose role is the window's status. Shown as
// a live region, so screen readers announce each new message, politely,
// without the focus moving; it takes no focus and no typing.

class StatusView : public View {
public:
    StatusView(rt::TextBox& box, const val& parent)
        : View(box, element("div", "nw-status"), parent), box_(box)
    {
        handle().call<void>("setAttribute", val("role"), val("status"));
        show();
    }

    // Only a new message is written: screen readers announce every write.
    void show() override
    {
        val line = handle();
        if (!shown_ || *shown_ != box_.text()) {
            shown_ = box_.text();
            line.set("textContent", toDisplay(box_.text()));
        }
        setAttribute(line, "aria-label", box_.accessibleName());
        showColors(line, box_);
    }

private:
    rt::TextBox& box_;
    std::optional<rt::Text> shown_;
};

// ---- Push button: a click from the mouse, or Enter or Space while it has the focus.

class ButtonView : public View {
public:
    ButtonView(rt::CommandButton& button, const val& parent)
        : View(button, element("button", "nw-button"), parent), button_(button)
    {
        handle().set("type", "button");
        handle().set("textContent", toUtf16(button.caption()));
        listen("click focus");
    }

private:
    void event(const std::string& type, const val&) override
    {
        if (type == "click")
            button_.click();
        else
            button_.form().userFocus(button_);
    }

    rt::CommandButton& button_;
};

// ---- Label: text in the model's font, as wide as its caption needs.

class LabelView : public View {
public:
    LabelView(rt::Label& label, const val& parent)
        : View(label, element("div", "nw-label"), parent), label_(label)
    {
        applyFont(handle(), label.font());
        handle().set("textContent", toUtf16(label.caption()));
    }

    void place(const Placement& placement) override
    {
        layout_ = &placement.layout;
        View::place(placement);
    }

    void show() override
    {
        handle().set("textContent", toUtf16(label_.caption()));
        if (layout_)
            moveTo(handle(), layout_->rect(label_));
    }

private:
    rt::Label& label_;
    const rt::Layout* layout_ = nullptr;
};

// ---- Frame: a fieldset, named by its legend, holding the views of the
// controls inside it.

class FrameView : public View {
public:
    FrameView(rt::Frame& frame, const val& parent)
        : View(frame, element("fieldset", "nw-frame"), parent), frame_(frame)
    {
        val legend = element("legend", "");
        legend.set("textContent", toUtf16(frame.caption()));
        handle().call<void>("append", legend);
    }

    void place(const Placement& placement) override
    {
        View::place(placement);
        handle()["style"].call<void>("setProperty", val("--nw-caption"),
                                     val(px(placement.metrics.captionHeight(frame_))));
    }

private:
    rt::Frame& frame_;
};

// ---- Picture: the program's icon at its own size.

class ImageView : public View {
public:
    ImageView(rt::Image& image, const val& parent) : View(image, element("img", "nw-image"), parent)
    {
        handle().set("alt", "");
        if (image.picture() == rt::Picture::ProgramIcon)
            handle().set("src", programIcon());
    }

    void place(const Placement& placement) override
    {
        moveTo(handle(), placement.layout.rect(model()), false);
    }
};

} // namespace

// ---- View

View::View(rt::Control& model, val element, const val& parent)
    : model_(model), element_(std::move(element))
{
    parent.call<void>("append", element_);
    model_.setView(this);
}

View::~View() { detach(); }

void View::place(const Placement& placement) { moveTo(element_, placement.layout.rect(model_)); }

namespace {

std::vector<View*>& changedViews()
{
    static std::vector<View*> views;
    return views;
}

} // namespace

void View::modelChanged()
{
    if (!changed_) {
        changed_ = true;
        changedViews().push_back(this);
    }
}

void View::showChanges()
{
    for (View* view : std::exchange(changedViews(), {})) {
        view->changed_ = false;
        view->show();
    }
}

void View::detach()
{
    if (!attached_)
        return;
    attached_ = false;
    listener_.stop();
    model_.setView(nullptr);
    std::erase(changedViews(), this);
    changed_ = false;
}

void View::listen(const char* types)
{
    listener_ = Listener(element_, types, [this](const std::string& type, const val& event) {
        if (attached_)
            this->event(type, event);
        showChanges();
    });
}

std::unique_ptr<View> makeView(rt::Control& control, const val& parent)
{
    switch (control.kind()) {
    case rt::Control::Kind::TextBox: {
        auto& box = static_cast<rt::TextBox&>(control);
        if (box.accessibleRole() == rt::TextBox::Role::Status)
            return std::make_unique<StatusView>(box, parent);
        return std::make_unique<FieldView>(box, parent);
    }
    case rt::Control::Kind::CommandButton:
        return std::make_unique<ButtonView>(static_cast<rt::CommandButton&>(control), parent);
    case rt::Control::Kind::Label:
        return std::make_unique<LabelView>(static_cast<rt::Label&>(control), parent);
    case rt::Control::Kind::Frame:
        return std::make_unique<FrameView>(static_cast<rt::Frame&>(control), parent);
    case rt::Control::Kind::Image:
        return std::make_unique<ImageView>(static_cast<rt::Image&>(control), parent);
    case rt::Control::Kind::Timer:
        break;
    }
    return nullptr;
}

} // namespace rtweb
