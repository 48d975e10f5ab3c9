#pragma once
// From a Windows error code to the file-error class, one table per kind of operation.
// Each function returns when the code means success in its table and otherwise throws.
#include <cstdint>

class FileLocation;

// MakeDirectory and MakeNonexistent.
void ThrowLocationError(const FileLocation& location, std::uint32_t code);
// Opening, closing, sizing and type-checking a file.
void ThrowHandleError(const FileLocation& location, std::uint32_t code);
void ThrowFlushError(const FileLocation& location, std::uint32_t code);
void ThrowReadError(const FileLocation& location, std::uint32_t code);
void ThrowWriteError(const FileLocation& location, std::uint32_t code);
