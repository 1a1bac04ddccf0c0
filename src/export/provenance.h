#pragma once
// What made a result file, written into it so that the file can be traced
// back: the program and its version, the data files read, and the stages
// and options chosen ("smooth sg:11:2; mean gap:30; sensor s2a").

#include <string>
#include <vector>

namespace varnelo {

struct Provenance {
    std::string program;  // "varnelo-cli 1.0.0.1"
    std::vector<std::string> inputs;
    std::string stages;
};

// {"program":"…","inputs":["…"],"stages":"…"}
std::string ProvenanceJson(const Provenance& provenance);

// "varnelo-cli 1.0.0.1; inputs: a.vrnldata, b.vrnldata; smooth sg:11:2", with
// no brace, which would end an ENVI header's value.
std::string ProvenanceText(const Provenance& provenance);

}  // namespace varnelo
