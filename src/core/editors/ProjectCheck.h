#pragma once
#include "core/editors/Finding.h"

#include <string>
#include <vector>

struct AccessMap;
struct AccessBounds;

// Checks a whole project folder, reading each file once: the checks of the
// editors' OK buttons on the files as stored (same messages), a file that
// cannot be read or parsed, a missing pargen.xml ("no communication
// parameters"), then the DeviceNet byte layout (rows past the end of their
// area and rows sharing bytes as warnings, unused bytes as info). Never
// throws for what the files hold.
std::vector<Finding> CheckProjectFolder(const std::string& projectFolder);

// What the access-map window's Check lists: its OK errors and the byte layout.
std::vector<Finding> CheckAccessMapLayout(const AccessMap& map, const AccessBounds& bounds);

// True when a finding stops a build.
bool HasErrors(const std::vector<Finding>& findings);
