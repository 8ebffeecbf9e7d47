#pragma once
// The plug-in's version, shared by the code and the Windows resources.
#define PELLUXDLG_VERSION_NUMBER "1.2.1"
#define PELLUXDLG_VERSION_LABEL "DLL Version"

// String table identifiers of the two texts.
#define IDS_PLUGIN_VERSION_NUMBER 1
#define IDS_PLUGIN_VERSION_LABEL 2
