#pragma once
// How a text sits across its space (fields, labels, grid cells).
enum TAlignment { taLeftJustify, taRightJustify, taCenter };
