// The game-database fixtures are shared with the data module's tests.
#include "tests/data/DataTestSupport.cpp"
