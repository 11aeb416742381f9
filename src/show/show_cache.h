// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The slide shows LibreOffice made, kept for every run of the program on this machine (and on
// machines sharing the home folder): a deck costs LibreOffice a few seconds, and a batch or a
// second window converts the same deck again and again.
//
// A show is named by a hash of the deck's content, so that a copy of a deck elsewhere, or a
// deck touched without a change, finds its show, and an edited deck never does. A show is
// written under a name of its own and renamed into place, so that a reader in another process
// sees the whole file or none. The folder is kept under a size: the shows used longest ago go
// first (a show's modification time is its last use).
//
// What is stored is sealed: its last line names the key it was stored under and the digest of
// everything before it. A show that is cut short (a full disk), empty, replaced by another
// deck's show or by anything but a regular file is not served: it is removed and made again.

#include <QHash>
#include <QString>

class ShowCache {
public:
    // folder ends in "/" or gets one. kind names how shows are made (show_passes.h): shows of
    // another kind are never served from it.
    ShowCache(const QString& folder, qint64 limitBytes, const QString& kind);
    ~ShowCache();
    ShowCache(const ShowCache&) = delete;
    ShowCache& operator=(const ShowCache&) = delete;

    // $XDG_CACHE_HOME/deckrec/shows/.
    static QString DefaultFolder();
    // DECKREC_SHOW_CACHE_MB megabytes when set, else 1 GB.
    static qint64 DefaultLimitBytes();

    const QString& folder() const { return folder_; }
    // Where the show of deck is (or will be) kept; empty when the deck cannot be read. The hash
    // is remembered per path, size and modification time, so asking again costs no reading.
    // variant names how the show is made beyond the deck's content (what LibreOffice may fetch
    // while it converts): shows of one deck in different variants are kept apart.
    QString ShowPath(const QString& deck, const QString& variant = QString()) const;

    // Marks a show as just used, so that pruning keeps it longest.
    static void Touch(const QString& show);

    // One converter per show at a time: true when this process may now convert for show (the
    // lock is kept until Release). False when another process holds it; ask again later, and
    // look first whether the show has appeared meanwhile. On a file system without locks every
    // process converts, and the renames still keep readers whole.
    bool TryLock(const QString& show);
    void Release(const QString& show);

    // Moves a complete show written in this folder (a work folder inside it) to its place,
    // replacing what is there in one step, then prunes. False when the rename fails.
    bool Store(const QString& written, const QString& show);
    // Appends the seal of the file written for place (a show, or the flat deck kept beside
    // it) before it is moved there. False when it cannot be written.
    static bool Seal(const QString& written, const QString& place);
    // True when place holds what was sealed for it. Otherwise, when something is there, it is
    // removed (also a link or a folder), why says what was wrong with it, and false.
    static bool Intact(const QString& place, QString* why = nullptr);

    // A work folder inside the cache carries its owner's mark, so that what a killed run left
    // is removed by the next one; "convert-<mark>-XXXXXX".
    QString WorkFolderTemplate() const;

private:
    void Prune(const QString& keep);
    void RemoveWorkOfEndedRuns();

    QString folder_;
    qint64 limitBytes_;
    QByteArray kind_;
    struct Known {
        qint64 size = -1;
        qint64 modified = 0;
        QString show;
    };
    mutable QHash<QString, Known> known_; // by variant and absolute deck path
    QHash<QString, int> locks_;           // open lock files by show
};
