# Writes INPUT as a byte array behind tovik::service::SampleCatalog() into OUTPUT.
file(READ ${INPUT} hex HEX)
string(REGEX REPLACE "([0-9a-f][0-9a-f])" "0x\\1," bytes "${hex}")
string(REGEX REPLACE "(0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,)" "\\1\n" bytes "${bytes}")
file(WRITE ${OUTPUT} "// Generated from service/data/sample_catalog.tsv; do not edit.
#include \"service/catalog.h\"

namespace tovik::service {
namespace {
constexpr unsigned char kSample[] = {
${bytes}0};
}  // namespace
std::string_view SampleCatalog() {
    return {reinterpret_cast<const char*>(kSample), sizeof kSample - 1};
}
}  // namespace tovik::service
")
