#pragma once

// Library error codes with their messages, as pairs of functions
// wpi_error_s_<Name>() (the message) and wpi_error_value_<Name>() (the code),
// which the wpi_setWPIError macros of ErrorBase.h pick up by name.

#define WPILIB_STANDIN_WPI_ERROR(label, offset, message)                 \
  constexpr inline const char* wpi_error_s_##label() { return message; } \
  constexpr inline int wpi_error_value_##label() { return offset; }

// Fatal errors (negative codes)
WPILIB_STANDIN_WPI_ERROR(ChannelIndexOutOfRange, -1, "Allocating channel that is out of range")
WPILIB_STANDIN_WPI_ERROR(NullParameter, -5, "A pointer parameter to a method is nullptr")
WPILIB_STANDIN_WPI_ERROR(Timeout, -6, "A timeout has been exceeded")
WPILIB_STANDIN_WPI_ERROR(SmartDashboardMissingKey, -43, "SmartDashboard data does not exist")

#undef WPILIB_STANDIN_WPI_ERROR
