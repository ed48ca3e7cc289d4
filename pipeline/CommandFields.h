// The ten fields of the command line, in their order, and the names the
// user knows them by: error details, the usage text and the record all
// name a field this way.
#pragma once

#include <cstddef>

enum class CommandField { Folder, Calibrate, Zero, MinSpeed, MaxSpeed, Weight, Temperature, Pressure, Area, Cd };

inline constexpr const char* const kCommandFieldNames[] = {
    "FOLDER", "CALIBRATE", "ZERO", "MIN_SPEED", "MAX_SPEED", "WEIGHT", "TEMPERATURE", "PRESSURE", "AREA", "CD"};

// Where the field stands on the command line, from 0.
constexpr std::size_t FieldIndex(CommandField field) { return static_cast<std::size_t>(field); }
// "TEMPERATURE" for CommandField::Temperature.
constexpr const char* FieldName(CommandField field) { return kCommandFieldNames[FieldIndex(field)]; }
