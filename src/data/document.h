#pragma once
// The one document: what the logger delivered or a data file held. Block 0 is
// the ParameterBlock, block i + 1 is record i. The full capacity is reserved
// up front so that downloads and loads never grow anything.

#include <cstdint>
#include <memory>

#include "data/device_info_block.h"
#include "data/layout.h"
#include "data/measurement_record.h"

namespace varnelo {

// RECORD_CAPACITY + 1 blocks of zero bytes. The memory comes zeroed from the
// system and is only touched as blocks are filled, so a fresh store is cheap,
// and on huge pages where there are any, so that filling it is too: a data
// file is read straight into its blocks.
class DataFileReader;

class BlockStore {
public:
    static constexpr std::size_t BLOCK_COUNT = RECORD_CAPACITY + 1;

    BlockStore();
    ~BlockStore();
    MeasurementRecord& operator[](std::size_t i) { return m_blocks[i]; }
    const MeasurementRecord& operator[](std::size_t i) const { return m_blocks[i]; }
    MeasurementRecord* data() { return m_blocks; }
    const MeasurementRecord* data() const { return m_blocks; }

    // Records 0..file.count()-1 read from the file; returns how many
    // arrived whole. Block 0 is left for the caller to write.
    int fill(DataFileReader& file);

private:
    // How the blocks' memory reaches the system lives below the data format.
    struct Memory;
    std::unique_ptr<Memory> m_memory;
    MeasurementRecord* m_blocks;
};

class CVarneloDoc {
public:
    CVarneloDoc() = default;
    CVarneloDoc(const CVarneloDoc&) = delete;
    CVarneloDoc& operator=(const CVarneloDoc&) = delete;

    DeviceInfoBlock& deviceInfo() { return m_deviceInfo; }
    const DeviceInfoBlock& deviceInfo() const { return m_deviceInfo; }
    ParameterBlock& parameterBlock() { return m_blocks[0]; }
    const ParameterBlock& parameterBlock() const { return m_blocks[0]; }

    // Record i for i in 0..RECORD_CAPACITY-1; only 0..recordCount()-1 are valid.
    MeasurementRecord& record(int i) { return m_blocks[static_cast<std::size_t>(i) + 1]; }
    const MeasurementRecord& record(int i) const { return m_blocks[static_cast<std::size_t>(i) + 1]; }

    int recordCount() const { return m_recordCount; }
    // Held to 0..RECORD_CAPACITY: the count never names records that are not there.
    void setRecordCount(int count);

    // Loading a data file: see BlockStore.
    BlockStore& blocks() { return m_blocks; }

private:
    DeviceInfoBlock m_deviceInfo{};
    BlockStore m_blocks;
    std::int32_t m_recordCount = 0;
};

}  // namespace varnelo
