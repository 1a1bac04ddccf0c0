#include "device/record_download.h"

#include <array>

#include "data/byte_order.h"
#include "device/command.h"
#include "device/connection.h"
#include "device/device_link.h"

namespace varnelo {

namespace {

ExchangeResult FetchOnce(ByteLink& link, int index, MeasurementRecord& into, std::string& failure) {
    std::array<std::uint8_t, RECORD_INDEX_SIZE> payload;
    WriteI32Le(payload.data(), index);
    const ExchangeResult selected = Send(link, DeviceCommand::CMD_SELECT_RECORD, payload);
    if (!selected) {
        failure = DescribeFailure(DeviceCommand::CMD_SELECT_RECORD, selected, link);
        return selected;
    }
    const ExchangeResult read = Request(link, DeviceCommand::CMD_READ_RECORD, into.bytes.data(), BLOCK_SIZE);
    if (!read) failure = DescribeFailure(DeviceCommand::CMD_READ_RECORD, read, link);
    return read;
}

}  // namespace

RecordFetch FetchRecord(ByteLink& link, int index, MeasurementRecord& into) {
    RecordFetch fetch;
    const ExchangeResult first = FetchOnce(link, index, into, fetch.failure);
    fetch.ok = first.ok();
    if (!fetch.ok && WorthRetrying(first, link)) {
        // Late bytes of the failed reply would shift the next one: drop them first.
        link.discardInput();
        fetch.retried = true;
        fetch.failure.clear();
        fetch.ok = FetchOnce(link, index, into, fetch.failure).ok();
    }
    return fetch;
}

}  // namespace varnelo
