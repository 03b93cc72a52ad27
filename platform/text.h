#pragma once

#include <optional>
#include <string>
#include <string_view>

// Texts: MORVEX's own messages in the user's language, the system's texts for its errors, and the
// encodings that texts meet.

// Reasons, refusals, progress and errors are written in English in the code and looked up in the
// message catalogue of the locale's language. The texts of the conversion itself (the completion
// message, the dialog's captions) are not translated. Until setUpMessages has been called, every
// message is the English one.

// Where the translated messages go: the dialog shows UTF-8 whatever the locale; a terminal shows
// the locale's encoding, so translations are used there only when that encoding is UTF-8.
enum class MessageOutput { Utf8, LocaleEncoding };

// Makes the messages follow the locale that setlocale has set, from the catalogues installed with
// the program (share/locale beside its bin folder), or from catalogueDir (a folder holding
// LANG/LC_MESSAGES/morvex.mo; empty: none). A locale that does not exist is the C locale: English.
// On Windows the catalogues are built into the program and the output does not matter: the
// language is the user's UI language, unless LC_ALL, LC_MESSAGES, LANG or LANGUAGE name one (as
// under Wine), and catalogueDir is not used.
void setUpMessages(MessageOutput output);
void setUpMessages(MessageOutput output, const std::string& catalogueDir);

// The message in the user's language, or english itself.
[[gnu::format_arg(1)]] const char* translated(const char* english);
// The form for n of a message with a singular and a plural English form.
[[gnu::format_arg(1), gnu::format_arg(2)]] const char* translatedPlural(const char* singular,
                                                                        const char* plural,
                                                                        unsigned long n);

// The language of the messages in use, as the catalogue names it ("ja"); empty for English.
std::string messageLanguage();

// Whether messages are looked up in the catalogues. When they are not, the system's own texts
// that go into them (error causes) are English as well, whatever the locale.
bool messagesTranslated();

// The text that std::snprintf makes of format and the arguments. Translated formats may take
// their arguments in another order ("%2$s ... %1$s").
[[gnu::format(printf, 1, 2)]] std::string formatted(const char* format, ...);

// Conversions between the CP932 bytes of drawings and settings and the texts the user sees.
// Empty when the text cannot be represented in the target encoding.
std::optional<std::string> cp932ToUtf8(const std::string& bytes);
std::optional<std::string> utf8ToCp932(const std::string& text);
// From the encoding of the current locale (LC_CTYPE) to CP932.
std::optional<std::string> localeToCp932(const std::string& text);
// Whether the current locale (LC_CTYPE) is the C/POSIX one, whose encoding holds only ASCII.
bool localeIsAsciiOnly();

// The letter in lower case when it is an ASCII capital; every other byte as it is. Names that the
// file formats compare without regard to case (profile sections and keys, part libraries, faces)
// fold only ASCII letters, whatever the locale, so CP932 bytes are never changed.
char asciiLower(char c);
// Whether the two texts are equal when ASCII letters are compared without regard to case.
bool equalIgnoringAsciiCase(std::string_view a, std::string_view b);

// The system's text for one of its error numbers, e.g. "No space left on device".
std::string systemErrorText(int error);

#ifdef _WIN32
// The C library's error number for a Windows error code that names the same cause, so that its
// message reads as it does on POSIX systems; 0 for any other code.
int errnoForWindowsError(unsigned long error);
// The same, EIO for a code that names no cause of the C library's.
int errnoOrIoError(unsigned long error);

// Why a Windows function failed: strerror's text for an error that has an error number, else the
// system's own wording.
std::string windowsErrorText(unsigned long error);
#endif

#ifdef _WIN32
// Texts and paths for the wide Windows functions. Paths inside the program are UTF-8; they meet
// UTF-16 only here, so that names the ANSI code page cannot hold work as well.

// UTF-8 to UTF-16 and back. A byte that is not UTF-8, or a lone surrogate, becomes U+FFFD.
std::wstring widenUtf8(const std::string& text);
std::string narrowToUtf8(const std::wstring& text);

// The path as the wide file functions take it: a path whose full form is too long for the classic
// limit (MAX_PATH) is given in its full \\?\ form, which has no such limit.
std::wstring widePath(const std::string& path);
#endif
