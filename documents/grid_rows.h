#pragma once

class StringGrid;

// Moves row from to position to, whole rows at a time (row numbers travel
// with their rows); the rows between shift by one.
void GridMoveRow(StringGrid &grid, int from, int to);
