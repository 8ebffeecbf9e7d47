#pragma once
// The application title: the main window's caption and the caption of the
// program's message boxes.
#define NIMBRA_APP_TITLE "Nimbra"
inline constexpr char kAppTitle[] = NIMBRA_APP_TITLE;
inline constexpr wchar_t kAppTitleWide[] = L"" NIMBRA_APP_TITLE;
