// Drives the installed program and the uninstaller from the install test,
// where no test framework runs.
//   window_tool wait  <class> <seconds>   exit 0 once the window is shown
//   window_tool close <class> <seconds>   the same, then posts WM_CLOSE
//   window_tool options <caption> <seconds>
//       on the wizard window of that caption (an NSIS uninstaller showing its
//       first page), goes on to the options page and checks that every
//       option's text fits the width of its list: prints each option with its
//       width and the list's, exit 3 when one is cut off. Leaves the page open.
//   window_tool cancel <caption> <seconds>
//       presses Cancel on the wizard window of that caption and waits until
//       it is gone.
// Exit 1 when no such window was shown in time, 2 on a bad call or a failed
// post.
#include <windows.h>
#include <commctrl.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <wchar.h>

static HWND WaitForWindow(const wchar_t* cls, const wchar_t* caption, int seconds) {
  for (int i = 0; i <= seconds * 10; ++i) {
    HWND window = FindWindowW(cls, caption);
    if (window && IsWindowVisible(window)) return window;
    Sleep(100);
  }
  return NULL;
}

// The text part of a tree item's rectangle, read through the tree's process.
static int ItemTextRect(HWND tree, HTREEITEM item, RECT* out) {
  DWORD pid = 0;
  GetWindowThreadProcessId(tree, &pid);
  HANDLE process = OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE, pid);
  if (!process) return 0;
  int ok = 0;
  void* remote = VirtualAllocEx(process, NULL, sizeof(RECT), MEM_COMMIT, PAGE_READWRITE);
  if (remote) {
    RECT r;
    memcpy(&r, &item, sizeof item);  // the item goes in, its place comes out
    if (WriteProcessMemory(process, remote, &r, sizeof r, NULL) &&
        SendMessageW(tree, TVM_GETITEMRECT, TRUE, (LPARAM)remote) &&
        ReadProcessMemory(process, remote, out, sizeof *out, NULL)) {
      ok = 1;
    }
    VirtualFreeEx(process, remote, 0, MEM_RELEASE);
  }
  CloseHandle(process);
  return ok;
}

// The wizard's page shown now, NULL while there is none.
static HWND ShownPage(HWND wizard) {
  for (HWND page = FindWindowExW(wizard, NULL, L"#32770", NULL); page;
       page = FindWindowExW(wizard, page, L"#32770", NULL)) {
    if (IsWindowVisible(page)) return page;
  }
  return NULL;
}

static int CheckOptions(HWND wizard, int seconds) {
  // The first page's Next button (id 1) leads to the options: pressed once,
  // when that page shows (a second press would start the uninstall).
  HWND next = GetDlgItem(wizard, 1);
  int i = 0;
  for (; i <= seconds * 10 && !(ShownPage(wizard) && next && IsWindowEnabled(next)); ++i) Sleep(100);
  if (i > seconds * 10) {
    printf("the uninstaller shows no first page\n");
    return 1;
  }
  PostMessageW(wizard, WM_COMMAND, MAKEWPARAM(1, BN_CLICKED), (LPARAM)next);
  HWND tree = NULL;
  for (int i = 0; i <= seconds * 10 && !tree; ++i) {
    for (HWND page = FindWindowExW(wizard, NULL, L"#32770", NULL); page && !tree;
         page = FindWindowExW(wizard, page, L"#32770", NULL)) {
      HWND t = FindWindowExW(page, NULL, WC_TREEVIEWW, NULL);
      if (t && IsWindowVisible(t) && SendMessageW(t, TVM_GETCOUNT, 0, 0) > 0) tree = t;
    }
    if (!tree) Sleep(100);
  }
  if (!tree) {
    printf("the uninstaller shows no options\n");
    return 1;
  }
  RECT client;
  GetClientRect(tree, &client);
  int cut = 0;
  for (HTREEITEM item = (HTREEITEM)SendMessageW(tree, TVM_GETNEXTITEM, TVGN_ROOT, 0); item;
       item = (HTREEITEM)SendMessageW(tree, TVM_GETNEXTITEM, TVGN_NEXT, (LPARAM)item)) {
    RECT r;
    if (!ItemTextRect(tree, item, &r)) {
      printf("cannot read an option's place\n");
      return 2;
    }
    printf("option ends at %ld of %ld\n", (long)r.right, (long)client.right);
    if (r.right > client.right) cut = 1;
  }
  fflush(stdout);
  return cut ? 3 : 0;
}

int wmain(int argc, wchar_t** argv) {
  if (argc != 4) return 2;
  const int seconds = _wtoi(argv[3]);
  if (wcscmp(argv[1], L"cancel") == 0) {
    HWND wizard = WaitForWindow(L"#32770", argv[2], seconds);
    if (!wizard) return 1;
    PostMessageW(wizard, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), (LPARAM)GetDlgItem(wizard, IDCANCEL));
    for (int i = 0; i <= seconds * 10; ++i) {
      if (!IsWindow(wizard)) return 0;
      Sleep(100);
    }
    return 1;
  }
  if (wcscmp(argv[1], L"options") == 0) {
    HWND wizard = WaitForWindow(L"#32770", argv[2], seconds);
    if (!wizard) printf("no window \"%ls\"\n", argv[2]);
    return wizard ? CheckOptions(wizard, seconds) : 1;
  }
  const int close = wcscmp(argv[1], L"close") == 0;
  if (!close && wcscmp(argv[1], L"wait") != 0) return 2;
  HWND window = WaitForWindow(argv[2], NULL, seconds);
  if (!window) return 1;
  if (close && !PostMessageW(window, WM_CLOSE, 0, 0)) return 2;
  return 0;
}
