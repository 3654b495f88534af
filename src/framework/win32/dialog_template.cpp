#include "framework/win32/dialog_template.h"

#include <string_view>

namespace {

// The dialog manager's atoms of the predefined control classes.
std::uint16_t ClassAtom(ControlClass controlClass) {
    switch (controlClass) {
        case ControlClass::Button:
            return 0x0080;
        case ControlClass::Edit:
            return 0x0081;
        case ControlClass::Static:
            return 0x0082;
    }
    return 0x0082;
}

class TemplateWriter {
  public:
    void Word(std::uint32_t value) { words_.push_back(static_cast<std::uint16_t>(value)); }
    void DoubleWord(std::uint32_t value) {
        Word(value & 0xFFFF);
        Word(value >> 16);
    }
    void Text(std::u16string_view text) {
        words_.insert(words_.end(), text.begin(), text.end());
        Word(0);
    }
    void Area(const RECT& rect) {
        for (int value : {rect.left, rect.top, rect.Width(), rect.Height()})
            Word(static_cast<std::uint16_t>(static_cast<std::int16_t>(value)));
    }
    // Each item starts on a 32-bit boundary; the vector's storage itself is aligned for any
    // scalar type.
    void AlignToDoubleWord() {
        if (words_.size() % 2 != 0)
            Word(0);
    }
    std::vector<std::uint16_t> Take() { return std::move(words_); }

  private:
    std::vector<std::uint16_t> words_;
};

constexpr std::uint32_t kDefaultCharset = 1;

}  // namespace

std::vector<std::uint16_t> BuildDialogTemplate(const DialogTemplate& resource) {
    TemplateWriter out;
    out.Word(1);        // version of the extended template
    out.Word(0xFFFF);   // its signature
    out.DoubleWord(0);  // help context
    out.DoubleWord(resource.exStyle);
    out.DoubleWord(resource.style & ~WS_VISIBLE);
    out.Word(static_cast<std::uint32_t>(resource.items.size()));
    out.Area(resource.rect);
    out.Word(0);  // no menu
    out.Word(0);  // the standard dialog class
    out.Text(resource.caption);
    if ((resource.style & DS_SETFONT) != 0) {
        out.Word(static_cast<std::uint32_t>(resource.pointSize));
        out.Word(0);                     // weight: the face's default
        out.Word(kDefaultCharset << 8);  // not italic; the default character set
        out.Text(resource.fontName);
    }
    for (const DialogItemTemplate& item : resource.items) {
        out.AlignToDoubleWord();
        out.DoubleWord(0);  // help context
        out.DoubleWord(item.exStyle);
        out.DoubleWord(item.style);
        out.Area(item.rect);
        out.DoubleWord(static_cast<std::uint32_t>(item.id));
        out.Word(0xFFFF);
        out.Word(ClassAtom(item.controlClass));
        out.Text(item.text);
        out.Word(0);  // no creation data
    }
    return out.Take();
}
