// Latin letters that the single-byte Cyrillic code page cannot hold, and the
// plain Latin letters that stand for them in map text.
//
// The table (one rule for names in the files and for text typed into the
// search fields, so that "Städtle" typed finds "Stadtle"):
//   à á â ã ä å ā ă ą -> a     ç ć ĉ ċ č -> c     ď đ ð -> d
//   è é ê ë ē ĕ ė ę ě -> e     ĝ ğ ġ ģ -> g       ĥ ħ -> h
//   ì í î ï ĩ ī ĭ į ı -> i     ĵ -> j   ķ -> k    ĺ ļ ľ ŀ ł -> l
//   ñ ń ņ ň ŉ ŋ -> n           ò ó ô õ ö ø ō ŏ ő -> o
//   ŕ ŗ ř -> r   ś ŝ ş š ș -> s   ţ ť ŧ ț -> t   ù ú û ü ũ ū ŭ ů ű ų -> u
//   ŵ -> w   ý ÿ ŷ -> y   ź ż ž -> z
//   ß -> ss   æ -> ae   œ -> oe   þ -> th   ĳ -> ij
// and the same for the capitals (Ä -> A, Æ -> AE, ẞ -> SS, Þ -> TH). Umlauts
// lose their dots rather than gaining an "e": that is how a person without
// the key types them.
#pragma once

#include <string_view>

namespace tikhomap {

// The replacement of a character, or an empty view when the table has none.
std::string_view latinTransliteration(char32_t c);

}  // namespace tikhomap
