#include "data/uDeleteMasterRecord.h"

#include "platform/rtl/Exceptions.h"

namespace {

TMasterDeleteDialogFactory& Factory() {
    static TMasterDeleteDialogFactory factory;
    return factory;
}

}  // namespace

std::unique_ptr<IMasterDeleteDialog> NewMasterDeleteDialog() {
    if (Factory()) return Factory()();
    throw EInvalidOperation("No master delete dialog");
}

void SetMasterDeleteDialogFactory(TMasterDeleteDialogFactory Factory_) { Factory() = std::move(Factory_); }
