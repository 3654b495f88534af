// Lookups of native paths that start from the calling thread's last folder.
//
// The walk and the hashing pass look up the entries of one folder after another by their whole
// paths, and the kernel walks every component again each time. So once a thread looks up a second
// entry of the same folder, it keeps that folder open (O_PATH, close-on-exec) and looks entries of
// it up by name from there: one component instead of the whole path.
//
// Which folder the text names can change while it is kept. A lookup through the kept folder that
// fails is repeated with the whole path, and the folder is opened again by its text once 0.1 s has
// passed since it was opened. So a removed folder is seen at once, and a folder renamed, replaced,
// reached through a retargeted link or shut by a change of permissions on the way (or another
// working directory, for a relative path) by every lookup that starts 0.1 s after the change; a
// lookup before that may still find the entry in the folder as it was, as an open enumeration of
// it would. Paths the kernel refuses as too long are always looked up whole. A thread lets go of
// its folder when it looks up in another folder or ends; a forked child, which may change its
// user, drops it.
#pragma once

#include <fcntl.h>

#include <string>

struct LookupStart {
    int folder = AT_FDCWD;  // the kept folder's descriptor, or AT_FDCWD
    const char* name = "";  // relative to folder: an entry name, or the whole path
    bool keptFolder = false;
};

// Where a lookup of the path starts. The name points into the path's text.
LookupStart StartLookup(const std::string& native);

// Lets go of the thread's folder, so that the next lookups start from the whole path again.
void ForgetKeptFolder();

// call(folder, name) is a system call relative to a folder descriptor (fstatat, openat) that gives
// a negative value on failure. Gives its result for the path.
template <typename Call>
int LookUpPath(const std::string& native, Call call) {
    const LookupStart start = StartLookup(native);
    const int result = call(start.folder, start.name);
    if (result >= 0 || !start.keptFolder)
        return result;
    // The folder may have gone since it was kept; the whole path tells.
    const int again = call(AT_FDCWD, native.c_str());
    if (again >= 0)
        ForgetKeptFolder();
    return again;
}
