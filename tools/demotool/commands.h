// The subcommands of demotool; each returns the process exit code.
#pragma once

int commandPack(int argc, char** argv);
int commandList(int argc, char** argv);
int commandExtract(int argc, char** argv);
int commandEnv(int argc, char** argv);
int commandObject(int argc, char** argv);
int commandScene(int argc, char** argv);
int commandCheck(int argc, char** argv);
int commandTimeline(int argc, char** argv);
int commandSetup(int argc, char** argv);
int commandPrograms(int argc, char** argv);

// Loads a package for a subcommand, messages going to standard error.
bool openPackageForTool(const char* path);
