// Where things are and what the process was given: the installed soundtrack, the folder for
// temporary files, environment settings made before libraries read them.
#pragma once

#include <string>

// The soundtrack the demo plays when nothing else is named.
const char* platform_default_music_path();
// The folder for temporary files (TMPDIR when set).
std::string platform_temp_dir();
// Sets name=value unless name is already set (the caller's own choice wins).
void platform_set_env_default(const char* name, const char* value);
// Sets name=value, replacing what was there.
void platform_set_env(const char* name, const char* value);
