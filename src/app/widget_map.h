#pragma once

// For tests that drive the real program with real input where no accessibility tree reaches
// (Windows programs under Wine): with VERDAN_WIDGET_MAP naming a file, the program writes there,
// a few times a second, where each named widget and each visible row of its lists and tables are
// on the screen. Without the variable it does nothing.
void startWidgetMapIfAsked();
