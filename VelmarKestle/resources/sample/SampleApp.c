// The program inside every sample app: says which bundle it runs from and which version
// that is, then waits to be asked to quit (SIGTERM), as an app asked to quit by the
// store or the updater would.
#define _POSIX_C_SOURCE 200809L

#include <limits.h>
#include <signal.h>
#include <stdio.h>
#include <string.h>
#include <unistd.h>

static volatile sig_atomic_t quitRequested = 0;

static void requestQuit(int signal) {
    (void)signal;
    quitRequested = 1;
}

// The text of <string> after <key>key</key>. Enough for the Info.plist the sample build
// writes; not a property-list reader.
static int plistString(const char* plist, const char* key, char* out, size_t size) {
    char tag[128];
    snprintf(tag, sizeof tag, "<key>%s</key>", key);
    const char* at = strstr(plist, tag);
    if (!at) {
        return 0;
    }
    const char* start = strstr(at + strlen(tag), "<string>");
    if (!start) {
        return 0;
    }
    start += strlen("<string>");
    const char* end = strstr(start, "</string>");
    if (!end || (size_t)(end - start) >= size) {
        return 0;
    }
    memcpy(out, start, (size_t)(end - start));
    out[end - start] = '\0';
    return 1;
}

int main(void) {
    // Contents/MacOS/<exe> inside the bundle, wherever the bundle was moved to.
    char contents[PATH_MAX];
    ssize_t length = readlink("/proc/self/exe", contents, sizeof contents - 1);
    if (length <= 0) {
        fprintf(stderr, "sample app: cannot find its own executable\n");
        return 1;
    }
    contents[length] = '\0';
    for (int up = 0; up < 2; ++up) {
        char* slash = strrchr(contents, '/');
        if (slash) {
            *slash = '\0';
        }
    }

    char plistPath[PATH_MAX + 16];
    snprintf(plistPath, sizeof plistPath, "%s/Info.plist", contents);
    char plist[16384] = "";
    FILE* file = fopen(plistPath, "r");
    if (file) {
        size_t read = fread(plist, 1, sizeof plist - 1, file);
        plist[read] = '\0';
        fclose(file);
    }
    char name[256] = "?", version[64] = "?", build[64] = "?";
    plistString(plist, "CFBundleName", name, sizeof name);
    plistString(plist, "CFBundleShortVersionString", version, sizeof version);
    plistString(plist, "CFBundleVersion", build, sizeof build);

    // Blocked until sigsuspend, so a request between the test and the wait is not lost.
    sigset_t quitSignals, waiting;
    sigemptyset(&quitSignals);
    sigaddset(&quitSignals, SIGTERM);
    sigaddset(&quitSignals, SIGINT);
    sigprocmask(SIG_BLOCK, &quitSignals, &waiting);
    struct sigaction action;
    memset(&action, 0, sizeof action);
    action.sa_handler = requestQuit;
    sigemptyset(&action.sa_mask);
    sigaction(SIGTERM, &action, NULL);
    sigaction(SIGINT, &action, NULL);

    char* bundle = strrchr(contents, '/');
    if (bundle) {
        *bundle = '\0';
    }
    printf("%s %s (%s) running from %s\n", name, version, build, contents);
    fflush(stdout);
    while (!quitRequested) {
        sigsuspend(&waiting);
    }
    printf("%s %s quits\n", name, version);
    return 0;
}
