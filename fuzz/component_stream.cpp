// Fuzzes the component stream reader and the text definition reader with the
// streaming tests' class tree (a form with controls, references and handlers;
// a wrapper with a collection of columns holding sub-objects, a string list
// and a nested collection). The first byte picks the reader (bit 0: text) and
// the root (bits 1-2: wrapper, form, grid control, or for a binary stream the
// class the stream names). EReadError and its kinds are the expected answer to
// bad input; then no component may be left behind. A read that succeeds is
// written, read back and written again, and both writings must be equal. A
// crash, a hang or any other exception is a finding.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>

#include "platform/rtti/FormText.h"
#include "platform/rtti/Streaming.h"
#include "tests/platform/rtti/StreamClasses.h"

namespace {

std::string Bytes(TMemoryStream& m) { return std::string(static_cast<const char*>(m.Memory()), m.Size()); }

std::unique_ptr<TComponent> MakeRoot(int kind) {
    switch (kind) {
    case 0: return std::make_unique<TTestWrapper>(nullptr);
    case 1: return std::make_unique<TTestForm>(nullptr);
    default: return std::make_unique<TTestGridControl>(nullptr);
    }
}

// Nothing still loading, and after a failure nothing created.
void CheckSettled(TComponent* root, bool failed) {
    if (root->InState(csLoading | csReading)) std::abort();
    for (int i = 0; i < root->ComponentCount(); ++i)
        if (root->Components(i)->InState(csLoading | csReading)) std::abort();
    if (failed) {
        if (root->ComponentCount() != 0) std::abort();
        if (auto* form = dynamic_cast<TTestForm*>(root); form && (form->Panel1 || form->Grid1)) std::abort();
    }
}

// What was read is written, and the writing reads back to the same writing.
void CheckRoundTrip(TComponent* root) {
    TMemoryStream first;
    WriteComponent(&first, root);
    first.SetPosition(0);
    std::unique_ptr<TComponent> again(ReadComponent(&first, nullptr));
    TMemoryStream second;
    WriteComponent(&second, again.get());
    if (Bytes(first) != Bytes(second)) std::abort();
    CheckSettled(again.get(), false);
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    RegisterStreamTestClasses();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 1) return 0;
    const bool text = data[0] & 1;
    const int rootKind = (data[0] >> 1) & 3;
    const std::string input(reinterpret_cast<const char*>(data + 1), size - 1);
    gLoadedLog.clear();

    std::unique_ptr<TComponent> root;
    try {
        if (text) {
            root = MakeRoot(rootKind);
            ReadComponentDefinition(root.get(), input, "fuzz.form");
        } else {
            TMemoryStream m;
            m.Write(input.data(), static_cast<int64_t>(input.size()));
            m.SetPosition(0);
            if (rootKind == 3) {
                root.reset(ReadComponent(&m, nullptr));
            } else {
                root = MakeRoot(rootKind);
                ReadComponent(&m, root.get());
            }
        }
    } catch (const EReadError&) {
        if (root) CheckSettled(root.get(), true);
        if (!gLoadedLog.empty()) std::abort();
        return 0;
    }
    CheckSettled(root.get(), false);
    CheckRoundTrip(root.get());
    return 0;
}
