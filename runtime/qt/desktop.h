// What the binding takes from the desktop it runs on: the fonts the model
// names, the program's icon, and the process-wide settings made around the
// toolkit's own start. Qt chooses the windowing system itself.
#pragma once

#include "forms.h"

#include <QFont>
#include <QPixmap>

namespace rtqt {

QFont fontFor(const rt::Font& font);
QPixmap pixmapFor(rt::Picture picture);

// Made once per process, for as long as the toolkit starts: when no windowing
// system can be reached, the process prints one line saying why (in the
// toolkit's words) and how to run without a desktop, and exits with 2,
// instead of aborting.
class ProcessSettings {
public:
    explicit ProcessSettings(const char* program);
    ~ProcessSettings();
    ProcessSettings(const ProcessSettings&) = delete;
    ProcessSettings& operator=(const ProcessSettings&) = delete;

    // The toolkit has started: its messages flow as usual again.
    void started();
};

} // namespace rtqt
