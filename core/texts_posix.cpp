// The texts of the Linux programs through glibc's gettext, in the domain
// "quillon" of their own, always in UTF-8 whatever the locale's codeset: the
// lines are printed next to paths, which are UTF-8 on these systems.
#include "texts.h"

#include <libintl.h>
#include <limits.h>
#include <locale.h>
#include <sys/stat.h>
#include <unistd.h>

#include <string>

namespace {

const char kDomain[] = "quillon";

// The catalogues' folder: share/locale in the program's own folder or the
// nearest folder above it that has one. The installed /usr/bin/quillon finds
// /usr/share/locale (and a copy under /opt/x/bin finds /opt/x/share/locale)
// without any variable, and every program of a build tree, wherever CMake put
// it, finds the build's share/locale. "" when no folder has one: gettext's
// own folder then.
std::string CatalogueFolder() {
    char self[PATH_MAX];
    ssize_t length = readlink("/proc/self/exe", self, sizeof self - 1);
    if (length <= 0) return "";
    std::string folder(self, static_cast<size_t>(length));
    for (size_t slash = folder.rfind('/'); slash != std::string::npos; slash = folder.rfind('/')) {
        folder.resize(slash);
        std::string candidate = folder + "/share/locale";
        struct stat st;
        if (stat(candidate.c_str(), &st) == 0 && S_ISDIR(st.st_mode)) return candidate;
    }
    return "";
}

bool BindCatalogue() {
    std::string folder = CatalogueFolder();
    if (!folder.empty()) bindtextdomain(kDomain, folder.c_str());
    bind_textdomain_codeset(kDomain, "UTF-8");
    return true;
}

// Once a run, at the first text also in a program that never calls
// StartTexts: Qt sets the locale itself.
void BindOnce() {
    static const bool bound = BindCatalogue();
    (void)bound;
}

}  // namespace

void StartTexts() {
    // Only what the texts, their characters and the undo list's dates follow:
    // each other category is a locale file to load at every start.
    setlocale(LC_CTYPE, "");
    setlocale(LC_MESSAGES, "");
    setlocale(LC_TIME, "");
    BindOnce();
}

const char* Tr(const char* english) {
    BindOnce();
    // gettext's answer to "" is the catalogue's header.
    if (english[0] == '\0') return english;
    return dgettext(kDomain, english);
}
