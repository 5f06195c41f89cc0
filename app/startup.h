// The player's entry: start-up, loading, the message loop and the way out.
#pragma once

int runPlayer(int argc, char** argv);
