//===- CliDefaults.cpp - Where quillmark-rc takes new-document defaults ---===//

#include "CliDefaults.h"

namespace qm {

NewDocumentDefaults CliNewDocumentDefaults() {
    return NewDocumentDefaults();
}

} // namespace qm
