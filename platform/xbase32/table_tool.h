#pragma once

#include <ostream>
#include <string>
#include <vector>

#include "platform/xbase32/field_desc.h"

namespace xb {

// Field lists as the xbase32 tool takes them: NAME:C:20, NAME:N:10:2, NAME:D, NAME:L,
// NAME:M, each argument one or more of them separated by commas. Throws xb::Error.
std::vector<FieldDesc> ParseFieldSpecs(const std::vector<std::string>& args);

// Header, fields and every record with its deletion flag and memos, as readable text.
void DumpTable(const std::string& path, std::ostream& out);

// The tool's command line; returns the exit status.
int RunTableTool(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

}  // namespace xb
