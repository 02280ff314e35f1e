#pragma once
#include <string>

// How the DeviceNet byte map is drawn: inline SVG for the HTML file, a table
// of coloured cells for renderers without SVG (Qt's rich text, its PDF).
enum class ByteMapDrawing { Svg, Table };

// The commissioning report of a project folder as one self-contained HTML
// page: project name, date, communication parameters with meaning and unit,
// both access-map tables, the DeviceNet byte map of each direction, every
// finding of the project check and bin/bank.bin (size, CRC-32, time) when
// built. Reads the files as stored; never throws for what they hold.
std::string CommissioningReportHtml(const std::string& projectFolder,
                                    const std::string& projectName, const std::string& date,
                                    ByteMapDrawing drawing = ByteMapDrawing::Svg);
// The same from the project model as it stands.
class Project;
std::string CommissioningReportHtml(const Project& project, const std::string& projectName,
                                    const std::string& date,
                                    ByteMapDrawing drawing = ByteMapDrawing::Svg);

