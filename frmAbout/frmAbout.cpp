#include "frmAbout.h"

namespace {

constexpr auto kSans = rt::Font::Face::SansSerif;

} // namespace

frmAbout::frmAbout(rt::Application& app)
    : rt::Form(app, "frmAbout", "About Numberwell", 2745, 2625, rt::Picture::ProgramIcon),
      cmdOK(*this, "cmdOK", nullptr, {120, 2160, 2535, 375}, 2, "OK"),
      Label3(*this, "Label3", {1080, 1680, 495, 255}, 3, "version", {kSans, 8.25, true}),
      Label2(*this, "Label2", {480, 1320, 1815, 255}, 1, "by Quennick", {kSans, 9.75, false}),
      Label1(*this, "Label1", {600, 960, 1455, 375}, 0, "Numberwell", {kSans, 12, true}),
      Image1(*this, "Image1", {1080, 240, 480, 480}, rt::Picture::ProgramIcon)
{
    onLoad = [this] { Form_Load(); };
    onDeactivate = [this] { Form_Deactivate(); };
    cmdOK.onClick = [this] { cmdOK_Click(); };
}

void frmAbout::Form_Load()
{
    const rt::Integer Major = app().major();
    const rt::Integer Minor = app().minor();
    rt::Text version("v");
    version.append(rt::Str(Major)).append(".").append(rt::Str(Minor));
    Label3.setCaption(version);
}

void frmAbout::Form_Deactivate() { unload(); }

void frmAbout::cmdOK_Click() { unload(); }
