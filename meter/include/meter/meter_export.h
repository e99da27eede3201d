#pragma once

// Symbol visibility of libmeter. The library is built with hidden visibility; only
// what carries METER_EXPORT is part of its binary interface.
#if defined(_WIN32)
#if defined(meter_EXPORTS)
#define METER_EXPORT __declspec(dllexport)
#else
#define METER_EXPORT __declspec(dllimport)
#endif
#else
#define METER_EXPORT __attribute__((visibility("default")))
#endif
