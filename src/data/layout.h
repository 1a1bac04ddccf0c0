#pragma once
// Sizes shared by the wire, the document and the data file.

#include <cstddef>

namespace varnelo {

inline constexpr std::size_t BLOCK_SIZE = 6728;      // a ParameterBlock or a MeasurementRecord
inline constexpr int RECORD_CAPACITY = 15000;        // records the document holds
inline constexpr int SPECTRUM_LENGTH = 511;          // elements of every spectrum
inline constexpr int WAVELENGTH_BASE_NM = 340;       // element j belongs to 340 + j nm
inline constexpr std::size_t DEVICE_INFO_SIZE = 208; // the DeviceInfoBlock

}  // namespace varnelo
