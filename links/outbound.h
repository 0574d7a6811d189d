// The rules of the outbound links, free of any toolkit so that every view follows the same
// ones: which control opens which page with which window style, the command line handed to
// the program launcher, and the verdict captions that make the verdict button a link.
// The form's actions (form/actions.h) say which click follows which link; each view
// supplies a Launcher and its own QR-code window, in its own folder. The addresses are in
// addresses.h.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace pelmora::outbound {

// Window styles handed to a launcher with the command line.
inline constexpr int kWindowHidden = 0;
inline constexpr int kWindowNormal = 1; // shown and given the focus

inline constexpr std::u16string_view kCommandPrefix = u"explorer ";

// "explorer " followed directly by the address: no quotes, nothing after it.
std::u16string commandLine(std::u16string_view address);

// The address part of an outbound command line, else the whole text: what a launcher that
// cannot start it shows the user to copy.
std::u16string_view addressOf(std::u16string_view commandLine);

// Whether a click on the verdict button opens the consultation page: only while its
// caption (UTF-8, as the score sheet holds it) is one of the two result verdicts, compared
// character for character.
bool verdictOpensConsultation(std::string_view caption);

struct Link {
    std::u16string_view address;
    int windowStyle;
};

// The link a click on the named control follows: 在线咨询 and 评分结果 the consultation
// page, logo and Vastrel the site. 评分结果 leads somewhere only while verdictCaption
// passes verdictOpensConsultation(); other controls lead nowhere.
std::optional<Link> linkOf(std::string_view control, std::string_view verdictCaption = {});

// What a launcher that cannot start the browser shows beside the address, and its button.
inline constexpr std::u16string_view kLaunchFailureText =
    u"无法打开浏览器。请复制下面的网址，在浏览器中打开：";
inline constexpr std::u16string_view kLaunchFailureClose = u"关闭";

// Starts a program from a command line (UTF-16). The caller relies only on the launch being
// started: nothing comes back, and a launcher deals with its own failures.
class Launcher {
  public:
    virtual ~Launcher() = default;
    virtual void launch(std::u16string_view commandLine, int windowStyle) = 0;
};

// Hands a link's command line and window style to the launcher.
void launch(Launcher& launcher, const Link& link);

} // namespace pelmora::outbound
