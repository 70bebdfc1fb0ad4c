/*
 * qgdrive: clicks a control of a window from the command line, for ./run's screenshot walk.
 *   qgdrive click "<window caption>" "<control caption>"
 */
#include "tests/driver/Driver.h"

#include <cstdio>
#include <cstring>

namespace {

struct Find {
    const char* caption;
    HWND found;
};

BOOL CALLBACK ByCaption(HWND hwnd, LPARAM lParam) {
    auto* find = reinterpret_cast<Find*>(lParam);
    if (::IsWindowVisible(hwnd) && qgtest::Text(hwnd) == find->caption) {
        find->found = hwnd;
        return FALSE;
    }
    return TRUE;
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 4 || std::strcmp(argv[1], "click") != 0) {
        std::fprintf(stderr, "usage: qgdrive click <window caption> <control caption>\n");
        return 2;
    }
    Find find{argv[2], nullptr};
    ::EnumWindows(ByCaption, reinterpret_cast<LPARAM>(&find));
    HWND control = find.found ? qgtest::Child(find.found, argv[3]) : nullptr;
    if (!control)
        return 1;
    qgtest::Click(control);
    return 0;
}
