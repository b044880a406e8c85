#pragma once
// The in-memory table of the database groups (viewGroup). The class itself,
// TStMemoryData, lives with the other data sets of the platform, which its
// record and bookmark rules depend on; this unit names it for the game
// database's code.
#include "platform/db/StMemoryDataset.h"
