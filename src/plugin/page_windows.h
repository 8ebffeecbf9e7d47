#pragma once
// The plug-in's page windows joining the program's settings sheet: made for
// the manager's items when the sheet is built and handed to it through the
// sheet's own callback. Only Windows has page windows; elsewhere no page is
// added.
struct PluginSheet;
class PluginManager;

// Adds one page window per item that has one, in list order; the number of
// pages the sheet took. A record of the wrong size adds nothing.
int AddPageWindows(PluginManager& manager, PluginSheet& sheet);
