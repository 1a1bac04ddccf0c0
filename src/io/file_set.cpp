#include "io/file_set.h"

namespace varnelo {

Status CommitFileSet(std::span<AtomicFileWriter* const> members, AtomicFileWriter& header) {
    for (AtomicFileWriter* member : members) {
        if (Status prepared = member->prepare(); !prepared) return prepared;
    }
    if (Status prepared = header.prepare(); !prepared) return prepared;
    if (Status withdrawn = header.withdraw(); !withdrawn) return withdrawn;
    for (AtomicFileWriter* member : members) {
        if (Status committed = member->commit(); !committed) return committed;
    }
    return header.commit();
}

}  // namespace varnelo
