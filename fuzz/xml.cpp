// Fuzzes the XML document: the input is parsed into a document, written, and
// the written text parsed and written once more. The first byte picks the
// document options. Parse errors (EStSimpleXMLError) are expected; a crash,
// a hang or any other exception is a finding.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "storage/StSimpleXml.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 1) return 0;
    const AnsiString text(reinterpret_cast<const char*>(data + 1), size - 1);
    TStSimpleXML xml;
    xml.SetOptions(TStSimpleXMLOptions::FromBits(data[0]));
    try {
        xml.LoadFromString(text);
    } catch (const EStSimpleXMLError&) {
        // What was appended before the error stays and is written all the same.
    }
    const AnsiString written = xml.SaveToString();
    TStSimpleXML again;
    again.SetOptions(xml.Options());
    try {
        again.LoadFromString(written);
        again.SaveToString();
    } catch (const EStSimpleXMLError&) {
    }
    return 0;
}
