#include "ThroughTheCore.h"

#include "ExactNarrow.h"
#include "KeyPath.h"

#include <vector>

CoreAnswer ThroughTheCore(std::u16string_view path, ModelCodePage page, std::size_t firstRoom)
{
    using oracle::Outcome;
    const orvane::ClassifiedPath classified = orvane::ClassifyKeyPath(path);
    if (classified.kind == orvane::PathKind::Malformed)
        return {Outcome::Reported, 0, {}, {}, {}};
    if (classified.kind == orvane::PathKind::UnknownRoot)
        return {Outcome::UnknownRoot, 0, {}, {}, {}};

    CoreAnswer answer{Outcome::Refused, classified.root, std::u16string(classified.subkey), {}, {}};
    // The probe hands the registry a view of its own copy: the subkey must be the path's tail.
    if (!classified.subkey.empty() &&
        classified.subkey.data() + classified.subkey.size() != path.data() + path.size())
        answer.fault = "the subkey is not a view of the path's tail";

    const orvane::NarrowEncoder& encoder = EncoderFor(page);
    std::vector<char> out(firstRoom);
    orvane::NarrowResult result = orvane::ConvertExactly(classified.subkey, encoder, out);
    if (result.status == orvane::NarrowStatus::TooSmall) {
        if (result.needed <= firstRoom)
            answer.fault = "too small for a size that fits";
        out.assign(result.needed, '\0');
        const orvane::NarrowResult again = orvane::ConvertExactly(classified.subkey, encoder, out);
        if (again.status != orvane::NarrowStatus::Exact || again.needed != result.needed)
            answer.fault = "the size asked for did not do";
        result = again;
    }
    if (result.status == orvane::NarrowStatus::Exact) {
        if (result.needed == 0 || out[result.needed - 1] != '\0')
            answer.fault = "the narrow text is not terminated";
        answer.outcome = Outcome::Asked;
        answer.narrow.assign(out.data(), result.needed == 0 ? 0 : result.needed - 1);
    }
    return answer;
}

std::string Difference(const oracle::Expectation& expected, const CoreAnswer& got)
{
    if (!got.fault.empty())
        return got.fault;
    if (got.outcome != expected.outcome)
        return std::string("expected ") + oracle::OutcomeName(expected.outcome) + ", got " +
               oracle::OutcomeName(got.outcome);
    if (got.root != expected.root)
        return "expected root " + std::to_string(expected.root) + ", got " +
               std::to_string(got.root);
    if (got.subkey != expected.subkey)
        return "expected subkey " + oracle::Printable(expected.subkey) + ", got " +
               oracle::Printable(got.subkey);
    if (got.narrow != expected.narrow)
        return "expected narrow subkey of " + std::to_string(expected.narrow.size()) +
               " bytes, got " + std::to_string(got.narrow.size()) + " bytes";
    return {};
}
