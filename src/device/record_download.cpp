#include "device/record_download.h"

#include <array>

#include "data/byte_order.h"
#include "device/command.h"
#include "device/connection.h"
#include "device/device_link.h"

namespace varnelo {

namespace {

Status FetchOnce(ByteLink& link, int index, MeasurementRecord& into) {
    std::array<std::uint8_t, RECORD_INDEX_SIZE> payload;
    WriteI32Le(payload.data(), index);
    Status status = Send(link, DeviceCommand::CMD_SELECT_RECORD, payload);
    if (status) status = Request(link, DeviceCommand::CMD_READ_RECORD, into.bytes.data(), BLOCK_SIZE);
    status.record = index;
    return status;
}

}  // namespace

RecordFetch FetchRecord(ByteLink& link, int index, MeasurementRecord& into) {
    RecordFetch fetch;
    // Late bytes of a failed reply would shift the next one: the retry drops them first.
    fetch.status = RetriedOnce(link, [&] { return FetchOnce(link, index, into); }, &fetch.retried);
    return fetch;
}

}  // namespace varnelo
