#pragma once
#include "core/editors/Finding.h"

#include <optional>
#include <string>
#include <vector>

// Entries of the diagnosis bit map: entry n (from 1) is bit (n-1) mod 8 of
// byte (n-1) div 8.
inline constexpr int DiagnosisEntries = 64;

// "n / Byte:b, Bit:k", the label of entry n.
std::string DiagnosisLabel(int n);

// Empties `ids`, then reads the texts of the root's children in order, at most
// DiagnosisEntries (more are ignored). A missing file leaves it empty; a
// malformed one throws XmlError.
void LoadDiagnosisIds(const std::string& path, std::vector<std::string>& ids);

// Number of leading entries up to the first empty one.
size_t DiagnosisRunLength(const std::vector<std::string>& ids);

// Every failure over the run, in entry order; as findings on the "ids" table.
std::vector<Finding> DiagnosisFindings(const std::vector<std::string>& ids);
std::vector<std::string> DiagnosisFailures(const std::vector<std::string>& ids);
std::optional<std::string> CheckDiagnosisIds(const std::vector<std::string>& ids);

// The run as ID elements, texts unchanged.
std::string DiagnosisXml(const std::vector<std::string>& ids);
void SaveDiagnosisIds(const std::vector<std::string>& ids, const std::string& path);
