#pragma once
// The one check of a project: every rule of the files lives here. Each
// finding says where it is (file, table, row, column); an error is exactly
// what keeps the configuration image from holding what the files say.
#include "core/editors/Finding.h"
#include "core/model/Project.h"

#include <vector>

// Every finding of the project: pargen.xml, sdo.xml (every stored row, also
// below an empty Slave ID and past 455), diagnosis.xml, then the DeviceNet
// byte layout of the rows without errors.
std::vector<Finding> CheckProject(const Project& project);

// The findings of one part, as the consumers of that part ask for them.
std::vector<Finding> CheckParams(const ParamsPart& part);
std::vector<Finding> CheckAccess(const AccessPart& part, const AccessBounds& bounds);
std::vector<Finding> CheckDiagnosis(const DiagnosisPart& part);

// The same findings of sdo.xml's rows, located for a grid: every stored row
// of both tables, table by table, row by row, column by column.
std::vector<AccessFailure> StoredAccessFailures(const AccessPart& part, const AccessBounds& bounds);
