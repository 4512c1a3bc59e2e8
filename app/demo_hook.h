// A hidden start-up hook for the screenshot script: LURENDO_DEMO_INPUT names a track to repair as soon as
// the window is shown; with LURENDO_DEMO_SNAPSHOT also set, the window is saved to that PNG after the run
// and the tool quits. Without these variables the hook does nothing.
#pragma once

namespace lurendo {

class Form1;

void avvia_dimostrazione(Form1& form);

}  // namespace lurendo
