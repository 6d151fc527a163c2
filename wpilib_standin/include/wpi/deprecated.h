#pragma once

#ifndef WPI_DEPRECATED
#define WPI_DEPRECATED(msg) [[deprecated(msg)]]
#endif
