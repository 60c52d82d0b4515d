// sumtree.h — the transmit sum tree and the transmit output formatter.
#pragma once

// Checks the transmit output against the channels feeding the sum tree and
// defaults the sum-tree selects, summing modes and output-formatter fields.
// Does nothing when no channel feeds the tree (g.chanin 0).
void sumtree_config();
