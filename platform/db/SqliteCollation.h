#pragma once
// Names compare without regard to case in the active code page, Cyrillic
// included, as the game's stored files always compared them. SQLite's own
// NOCASE folds only ASCII, so every connection replaces it with this fold.
// An index keeps the order of the collation it was built with: a file whose
// indexes were built under another fold must be reindexed before it is used.
// Such a file is told apart by PRAGMA user_version, which holds the number
// of the code page whose fold built its indexes.
struct sqlite3;

// Registers the fold as "NOCASE" on the handle; false when the engine refused.
bool InstallCodePageCollation(sqlite3* db);

// The user_version of a file whose indexes were built with the fold of the
// active code page.
int CodePageCollationMark();

// <0, 0, >0: the two UTF-8 texts compared character by character after the
// code page's upper-case fold; characters the page cannot hold compare as
// they are (never as the same "?").
int CodePageNoCaseCompare(const char* a, int lengthA, const char* b, int lengthB);
