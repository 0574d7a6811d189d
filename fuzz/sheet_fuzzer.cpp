// libFuzzer target: the input bytes are a sequence of user operations on a score sheet.
//
// Each operation is carried out on the sheet (through the key filter and the reset of
// form/inputrules.h, as the window does) and on the independent Model; after every one
// the whole sheet is compared with the model and with the invariants that hold whatever
// the inputs. The first difference aborts with a description of what was done.
#include "model.h"

#include "form/inputrules.h"
#include "scoring/numbers.h"
#include "scoring/scoresheet.h"

#include <fuzzer/FuzzedDataProvider.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

using namespace pelmora;
using namespace pelmora::fuzz;

namespace {

constexpr int kYear = 2026;

constexpr Field kBoxes[] = {Field::ID,       Field::年龄,     Field::居住时长,   Field::养老月数,
                            Field::医疗月数, Field::工伤月数, Field::生育险月数, Field::失业月数,
                            Field::统一月数, Field::统一年数};
constexpr Field kLists[] = {Field::选择学历, Field::房产状况, Field::生育状况};
constexpr Field kScoreLabels[] = {Field::学历得分, Field::年龄得分, Field::房产得分,
                                  Field::生育得分, Field::个人得分, Field::养老得分,
                                  Field::医疗得分, Field::工伤得分, Field::生育险得分,
                                  Field::失业得分, Field::社保得分, Field::合计得分};

// Texts worth pasting: numbers at every edge of the rules and of the conversions, and
// texts that are no numbers at all.
const std::vector<std::string>& pastedTexts() {
    static const std::vector<std::string> texts = [] {
        std::vector<std::string> t = {"",
                                      " ",
                                      "\t",
                                      " 12 ",
                                      "\t7\t",
                                      "-0",
                                      "+5",
                                      "-5",
                                      "0",
                                      "00",
                                      "0012",
                                      "1e309",
                                      "-1e309",
                                      "1e-400",
                                      "-1e-400",
                                      "1e-310",
                                      "4.9e-324",
                                      "1.7976931348623157e308",
                                      "1.7976931348623159e308",
                                      "nan",
                                      "NaN",
                                      "inf",
                                      "-inf",
                                      "infinity",
                                      "0x10",
                                      "1,000",
                                      "1 000",
                                      "１２",
                                      "12abc",
                                      "abc",
                                      ".5",
                                      "5.",
                                      ".",
                                      "-",
                                      "+",
                                      "e5",
                                      "1e",
                                      "1e+",
                                      "1e+2",
                                      "2.5e1",
                                      "11",
                                      "12",
                                      "12.5",
                                      "13.5",
                                      "23.5",
                                      "24",
                                      "35",
                                      "36",
                                      "39.5",
                                      "40",
                                      "44.5",
                                      "47",
                                      "47.99",
                                      "48",
                                      "120",
                                      "240",
                                      "360",
                                      "364",
                                      "365",
                                      "729",
                                      "730",
                                      "3650",
                                      "4015",
                                      "2147483647",
                                      "2147483648",
                                      "-2147483649",
                                      "4294967296",
                                      "9223372036854775807",
                                      "9223372036854775808",
                                      "18446744073709551616",
                                      "9999999999",
                                      "3000000000",
                                      "1e15",
                                      "999999999999999",
                                      "1e-5",
                                      "0.1",
                                      "0.3",
                                      std::string("1\0"
                                                  "2",
                                                  3),
                                      "\u200f12\u200e",
                                      "\u202e21",
                                      "😀",
                                      "四十二",
                                      "岁",
                                      "110101198503070031",
                                      "11010119850307004X",
                                      "110101198513450030",
                                      "110101850307002",
                                      "110101000307001",
                                      "11010120300101001X",
                                      "1101011985030700",
                                      "1101011985030700319",
                                      "一二三四五六七八九十一二三四五",
                                      "一二三四五六七八九十一二三四五六七八",
                                      "110101一九八五0307003X",
                                      "11010185a30700",
                                      "X10101198503070031",
                                      "全日制本科",
                                      "无房产",
                                      "居住证",
                                      "政策外生育"};
        t.push_back(std::string(100000, '9'));
        t.push_back("1" + std::string(400, '0'));
        t.push_back("0." + std::string(400, '0') + "1");
        return t;
    }();
    return texts;
}

// Characters worth typing; the fuzzer may also type any other 16-bit code.
constexpr char32_t kTyped[] = {U'0', U'1',  U'2', U'3', U'4',  U'5',  U'6',   U'7',
                               U'8', U'9',  U'X', U'x', U'-',  U'+',  U'.',   U'e',
                               U' ', U'\t', U'a', 0,    U'岁', U'１', 0x200F, 0xFFFD};

// An ID-like text of 15 or 18 characters, mostly digits.
std::string idLike(FuzzedDataProvider& in) {
    static constexpr std::string_view kOther[] = {"X", "x", "一", "a", " ", "\u200f", "😀"};
    const int length = in.ConsumeBool() ? 18 : 15;
    std::string id;
    for (int i = 0; i < length; ++i) {
        std::uint8_t b = in.ConsumeIntegral<std::uint8_t>();
        if (b < 224)
            id += char('0' + b % 10);
        else
            id += kOther[b % std::size(kOther)];
    }
    return id;
}

enum class Kind { Type, Backspace, Paste, Pick, Toggle, Click, Reset };

struct Operation {
    Kind kind = Kind::Type;
    Field field = Field::ID;
    Command command = Command::统一月;
    std::string text;
    char32_t character = 0; // typed
};

std::string escaped(std::string_view text) {
    std::string out;
    for (unsigned char c : text.substr(0, 80)) {
        if (c < 0x20 || c == 0x7F) {
            char buffer[8];
            std::snprintf(buffer, sizeof buffer, "\\x%02X", c);
            out += buffer;
        } else {
            out += char(c);
        }
    }
    if (text.size() > 80)
        out += "...(" + std::to_string(text.size()) + " bytes)";
    return out;
}

std::string describe(const Operation& op) {
    switch (op.kind) {
    case Kind::Type:
        return "type \"" + escaped(op.text) + "\" into " + std::string(fieldName(op.field));
    case Kind::Backspace:
        return "backspace in " + std::string(fieldName(op.field));
    case Kind::Paste:
        return "paste \"" + escaped(op.text) + "\" into " + std::string(fieldName(op.field));
    case Kind::Pick:
        return "pick \"" + escaped(op.text) + "\" in " + std::string(fieldName(op.field));
    case Kind::Toggle:
        return "toggle 公司申办";
    case Kind::Click:
        return "click " + std::string(commandName(op.command));
    case Kind::Reset:
        return "click 重置";
    }
    return {};
}

Operation decode(FuzzedDataProvider& in) {
    Operation op;
    const std::uint8_t selector = in.ConsumeIntegral<std::uint8_t>();
    op.field = kBoxes[in.ConsumeIntegralInRange<std::size_t>(0, std::size(kBoxes) - 1)];
    if (selector < 110) {
        char32_t c = in.ConsumeBool()
                         ? kTyped[in.ConsumeIntegralInRange<std::size_t>(0, std::size(kTyped) - 1)]
                         : in.ConsumeIntegral<char16_t>();
        if (c == 8)
            c = '8';
        if (c >= 0xD800 && c <= 0xDFFF) // a lone surrogate types nothing a box can hold
            c = 0xFFFD;
        op.character = c;
        op.text = utf8(c);
    } else if (selector < 140) {
        op.kind = Kind::Backspace;
    } else if (selector < 190) {
        op.kind = Kind::Paste;
        switch (in.ConsumeIntegralInRange(0, 3)) {
        case 0:
            op.text = in.ConsumeRandomLengthString(40); // any bytes, invalid UTF-8 included
            break;
        case 1:
            op.text = idLike(in);
            break;
        default: {
            const auto& texts = pastedTexts();
            op.text = texts[in.ConsumeIntegralInRange<std::size_t>(0, texts.size() - 1)];
        }
        }
    } else if (selector < 220) {
        op.kind = Kind::Pick;
        op.field = kLists[in.ConsumeIntegralInRange<std::size_t>(0, std::size(kLists) - 1)];
        auto items = itemsOf(op.field);
        const std::uint8_t which = in.ConsumeIntegral<std::uint8_t>();
        if (which < 220) {
            op.text = items[which % items.size()];
        } else if (which < 240) {
            const auto& texts = pastedTexts();
            op.text = texts[which % texts.size()];
        } else {
            op.text = std::string(items[which % items.size()]) + " ";
        }
    } else if (selector < 230) {
        op.kind = Kind::Toggle;
    } else if (selector < 252) {
        op.kind = Kind::Click;
        op.command = static_cast<Command>(selector % 3);
    } else {
        op.kind = Kind::Reset;
    }
    return op;
}

bool isItem(Field list, std::string_view text) {
    for (std::string_view item : itemsOf(list)) {
        if (item == text)
            return true;
    }
    return false;
}

[[noreturn]] void fail(const std::vector<Operation>& done, const std::string& what) {
    std::fprintf(stderr, "\n== broken invariant: %s\n== after these operations:\n", what.c_str());
    for (std::size_t i = 0; i < done.size(); ++i)
        std::fprintf(stderr, "  %zu. %s\n", i + 1, describe(done[i]).c_str());
    std::abort();
}

void check(const ScoreSheet& sheet, const Model& model, int totalWrites,
           const std::vector<Operation>& done) {
    auto expectEqual = [&](std::string_view what, std::string_view got, std::string_view want) {
        if (got != want)
            fail(done, std::string(what) + " shows \"" + escaped(got) + "\", expected \"" +
                           escaped(want) + "\"");
    };
    // Each field equals what its rule gives for the current inputs.
    const std::array<std::string, kFieldCount> expected = model.expectedTexts();
    for (int i = 0; i < kFieldCount; ++i) {
        const Field f = static_cast<Field>(i);
        const std::string& text = sheet.text(f);
        if (!isValidUtf8(text))
            fail(done, std::string(fieldName(f)) + " holds invalid UTF-8");
        expectEqual(fieldName(f), text, expected[i]);
    }
    if (sheet.isChecked() != model.isChecked())
        fail(done, "公司申办 state");
    if (sheet.isResidenceEnabled() != model.isResidenceEnabled())
        fail(done, "enabled state of 居住时长 does not follow the last listed property item");
    if ((totalWrites > 0) != model.totalWritten())
        fail(done, "合计得分 was " + std::string(totalWrites > 0 ? "" : "not ") +
                       "written, which the operation " +
                       (model.totalWritten() ? "must" : "must not"));

    // The invariants that hold whatever the inputs, read off the sheet itself.
    for (Field f : kScoreLabels) {
        const std::string& text = sheet.text(f);
        if (!strictValue(text))
            fail(done, std::string(fieldName(f)) + " is no number: \"" + escaped(text) + "\"");
        for (std::string_view bad : {"nan", "inf", "NAN", "INF"}) {
            if (text.find(bad) != std::string::npos)
                fail(done, std::string(fieldName(f)) + " shows " + std::string(bad));
        }
    }
    if (*strictValue(sheet.text(Field::社保得分)) > 60)
        fail(done, "社保得分 above 60");
    const double sum =
        (leadingValue(sheet.text(Field::学历得分)) + leadingValue(sheet.text(Field::个人得分))) +
        leadingValue(sheet.text(Field::社保得分));
    expectEqual("合计得分 against the category labels", sheet.text(Field::合计得分),
                decimalText(sum));
    const std::string& verdict = sheet.text(Field::评分结果);
    if (verdict != kCalculating) {
        const double total = *strictValue(sheet.text(Field::合计得分));
        const char* want = total > 99  ? "积分通过，马上入户"
                           : total > 0 ? "差一点，考证入户"
                                       : "需要补充一点分数…";
        expectEqual("评分结果 against 合计得分", verdict, want);
    }
}

// Carries out one operation on the sheet, as the window would, and on the model.
void apply(const Operation& op, ScoreSheet& sheet, Model& model,
           const std::vector<Operation>& done) {
    switch (op.kind) {
    case Kind::Type: {
        const bool takes = acceptsTypedCharacter(op.field, char16_t(op.character));
        if (takes != takesTypedCharacter(op.field, op.character))
            fail(done, "key filter of " + std::string(fieldName(op.field)));
        if (!takes)
            return; // a filtered character changes nothing
        const std::string text = sheet.text(op.field) + op.text;
        sheet.setText(op.field, text);
        model.write(op.field, text);
        return;
    }
    case Kind::Backspace: {
        if (sheet.text(op.field).empty())
            return; // nothing to delete: the box does not change
        const std::string text = withoutLastCharacter(sheet.text(op.field));
        sheet.setText(op.field, text);
        model.write(op.field, text);
        return;
    }
    case Kind::Paste:
        if (!sheet.setText(op.field, op.text))
            fail(done, "a text box refused a paste");
        model.write(op.field, validUtf8(op.text));
        return;
    case Kind::Pick: {
        const bool taken = sheet.setText(op.field, op.text);
        if (taken != isItem(op.field, op.text))
            fail(done, std::string(fieldName(op.field)) + (taken ? " took" : " refused") + " \"" +
                           escaped(op.text) + "\"");
        if (taken)
            model.write(op.field, op.text);
        return;
    }
    case Kind::Toggle:
        sheet.setChecked(!sheet.isChecked());
        model.toggleEmployer();
        return;
    case Kind::Click:
        sheet.click(op.command);
        if (op.command == Command::身份证解读)
            model.interpretId();
        else
            model.unify(op.command);
        return;
    case Kind::Reset:
        resetInputs(sheet);
        model.reset();
        return;
    }
}

std::uint64_t g_operations = 0;

void reportOperations() {
    if (std::getenv("PELMORA_FUZZ_COUNT"))
        std::fprintf(stderr, "pelmora: %llu operations\n",
                     static_cast<unsigned long long>(g_operations));
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    std::atexit(reportOperations);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzedDataProvider in(data, size);
    ScoreSheet sheet([] { return kYear; });
    Model model(kYear);
    int totalWrites = 0;
    sheet.subscribe([&](Field f) {
        if (f == Field::合计得分)
            ++totalWrites;
    });
    std::vector<Operation> done;
    check(sheet, model, 0, done);

    while (in.remaining_bytes() > 0) {
        Operation op = decode(in);
        done.push_back(op);
        totalWrites = 0;
        model.beginOperation();
        apply(op, sheet, model, done);
        model.endOperation();
        ++g_operations;
        check(sheet, model, totalWrites, done);
    }
    return 0;
}
