// Commands 4013 and 4014: the picture turned by a quarter, right or left.
#pragma once

// Returns false when there is no picture (the command then goes no further).
bool QuarterTurnCommand(int direction);
