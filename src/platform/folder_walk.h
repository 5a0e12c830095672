// What a walk down a held folder needs of the system: its listing, its
// children opened without following links, their identities, and removing
// an entry for good. The walk itself (the emptying of the destination root)
// is written once above the platform, over these.
//
// Names are the system's own (UTF-16 on Windows, the raw bytes on POSIX),
// as the listing gave them: never turned into code-page-932 text and back.
// An entry is always named relative to its held parent, never by a path
// read back from text, so depth is no limit.
#pragma once

#include <vector>

#include "platform/folders.h"
#include "platform/program.h"

namespace qb {

enum class EntryKind {
    kFile,    // anything that is neither a folder nor a link: a file, a pipe, a device
    kFolder,  // a plain folder
    kLink,    // a symbolic link, junction or other reparse point, whatever it leads to
};

struct ListedEntry {
    SystemString name;  // as the system listed it
    EntryKind kind;     // the entry itself, a link never followed
    bool hidden;        // hidden or system (POSIX: the name begins with '.')
    FolderId id;        // the entry itself (its volume: the listed folder's)
    // A link that the system shows as a folder, and a notice names so
    // (Windows: a reparse point with the directory attribute, such as a
    // junction or a symbolic link to a folder; POSIX: never, a link is a
    // file).
    bool folder_link = false;
    // A plain full path that ends in this name names the entry and nothing
    // else (Windows: no device's name such as "NUL" or "COM1.txt", no dot
    // or blank at its end, no '*', '?' or ':'; POSIX: always). Only such an
    // entry may go to the bin inside its folder: the shell, where it cannot
    // move a folder to the bin, deletes what the folder holds by plain paths.
    bool named_plainly = true;
};

// Every entry of the open folder `folder`, whose identity is `folder_id`,
// "." and ".." left out, read in full before the walk acts on any of them
// (an entry of unknown type is looked at by its name). False when it cannot
// be listed.
bool ListOpenFolder(OpenFolder folder, const FolderId& folder_id,
                    std::vector<ListedEntry>& entries);

// The identity of the listed entry of `parent` itself, a link not followed,
// as the entry tells it now: on some file systems (an overlay) the number a
// POSIX listing shows is not the entry's own; Windows lists the entry's own.
// False when it cannot be told.
bool EntryIdOf(OpenFolder parent, const ListedEntry& entry, FolderId& id);

// What opening a child folder found.
enum class ChildFolder {
    kOpened,       // a plain folder, now open as `child`, its identity in `id`
    kMountPoint,   // a plain folder where another file system is mounted: not opened
    kNotAFolder,   // it is no plain folder (any more): a link, a file
    kUnavailable,  // it cannot be opened or listed (no search permission, gone)
};
// Opens the child folder `name` of `parent`, whose identity is `parent_id`,
// itself, never following a link, so that what is then removed below it is
// what the walk looks at now. A folder opened is on its parent's volume:
// one where another volume begins is a mount point (on Windows a reparse
// point, and so no plain folder), never opened.
ChildFolder OpenChildFolder(OpenFolder parent, const FolderId& parent_id,
                            const SystemString& name, OpenFolder& child, FolderId& id);

// Opens the folder that the child `name` of `parent` leads to as the system
// resolves it, links followed and mounts crossed: to know the folders the
// emptying must keep however they are reached (a board's folder the user
// moved elsewhere and linked), never to walk what is removed. False when it
// leads to no folder or cannot be opened.
bool OpenChildFollowingLinks(OpenFolder parent, const SystemString& name, OpenFolder& child);

// Going down from `parent` into one of its children: POSIX closes `parent`
// (coming back, it is opened again through ".."), so that a few descriptors
// serve any depth; Windows keeps it open without delete sharing, so that it
// can be neither renamed nor replaced meanwhile.
void SetAside(OpenFolder& parent);
// Coming back up from `child`, which is closed: `parent` open again, when
// it still is the folder `parent_id`. False when it is not (moved away
// meanwhile): the walk stops there rather than guess.
bool ReturnToParent(OpenFolder child, OpenFolder& parent, const FolderId& parent_id);

// Removes the entry of `parent` for good, if it still is of `kind`: a file,
// a link as the link itself (never what it leads to, and never by a path
// that the system could follow through it: Windows opens it as the reparse
// point it must be and deletes it through that handle), or an empty folder.
// False when it stays.
bool RemoveEntry(OpenFolder parent, const ListedEntry& entry);

}  // namespace qb
