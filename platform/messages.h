#pragma once

#include <string>

// MORVEX's own messages in the user's language: reasons, refusals, progress and errors are
// written in English in the code and looked up in the message catalogue of the locale's language.
// The texts of the conversion itself (the completion message, the dialog's captions) are not
// translated. Until setUpMessages has been called, every message is the English one.

// Where the translated messages go: the dialog shows UTF-8 whatever the locale; a terminal shows
// the locale's encoding, so translations are used there only when that encoding is UTF-8.
enum class MessageOutput { Utf8, LocaleEncoding };

// Makes the messages follow the locale that setlocale has set, from the catalogues installed with
// the program (share/locale beside its bin folder), or from catalogueDir (a folder holding
// LANG/LC_MESSAGES/morvex.mo; empty: none). A locale that does not exist is the C locale: English.
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
