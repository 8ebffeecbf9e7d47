#pragma once
// The plug-in's version, shared by the code and the Windows resources.
#define PELLUXDLG_VERSION_NUMBER "1.2.1"
#define PELLUXDLG_VERSION_LABEL "DLL Version"
// The plug-in has a version of its own, and its version resource gives it
// as file and product version, as its version texts do.
#define PELLUXDLG_FILE_VERSION 1, 2, 1, 0
#define PELLUXDLG_FILE_VERSION_TEXT "1.2.1.0"

// String table identifiers of the two texts.
#define IDS_PLUGIN_VERSION_NUMBER 1
#define IDS_PLUGIN_VERSION_LABEL 2
