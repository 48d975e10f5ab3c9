#pragma once
// The stand-in agent's compliance documents: named checks that look at the machine.
//
//   <ComplianceDocument Id="baseline-1" Name="Workstation baseline">
//     <Check Designator="os-is-nt" Description="The operating system is Windows NT">
//       <EnvironmentEquals Name="OS" Value="Windows_NT"/>
//     </Check>
//     ...
//   </ComplianceDocument>
//
// Conditions: FileExists Path, DirectoryExists Path, FileSize Path [Min] [Max] (bytes),
// FileAge Path [MaxDays] [MinDays], RegistryValueExists Key Name, RegistryValueEquals
// Key Name Value, RegistryVersionAtLeast Key Name Version, EnvironmentEquals Name Value,
// and the combinations AllOf, AnyOf and Not around further conditions. Registry keys
// begin with HKLM\ or HKCU\.
#include "xml/XMLElementPL.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

// What one check found.
struct CheckResult {
    std::string designator;
    std::string result;      // "True", "False" or "Error: ..."
    std::string resultType;  // "boolean", or "error"
    std::uint64_t microseconds = 0;
    std::string description;
    std::string comment;  // what was seen
};

class Condition;

struct Check {
    std::string designator;
    std::string description;
    std::shared_ptr<const Condition> condition;
};

struct ComplianceDocument {
    std::string id;
    std::string name;
    std::vector<Check> checks;
};

// Throws std::runtime_error naming what is wrong with the document.
ComplianceDocument ParseComplianceDocument(std::string_view xml);
CheckResult Evaluate(const Check& check);
