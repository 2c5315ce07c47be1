// The About window: the program's icon, name, credit line and version. It
// holds no state and touches nothing in the converter window; it unloads
// itself on OK or as soon as it stops being the active window.
#pragma once

#include "forms.h"

class frmAbout : public rt::Form {
public:
    explicit frmAbout(rt::Application& app);

    // Controls, in creation order.
    rt::CommandButton cmdOK;
    rt::Label Label3;
    rt::Label Label2;
    rt::Label Label1;
    rt::Image Image1;

    void Form_Load();
    void Form_Deactivate();
    void cmdOK_Click();
};
