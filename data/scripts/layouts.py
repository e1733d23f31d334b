"""Shuangpin layout rules: how a full-pinyin syllable becomes a two-key code.

Each layout is a short list of rules (the key of each initial and final and
the spelling of the syllables without initial); no syllable table is typed
here. The syllable set itself comes from the readings in the open data.
"""

INITIALS = ["zh", "ch", "sh", "b", "p", "m", "f", "d", "t", "n", "l", "g", "k",
            "h", "j", "q", "x", "r", "z", "c", "s", "y", "w"]

# Keys shared by both layouts: zh, ch and sh take v, i and u; the others are
# their own letter.
INITIAL_KEYS = {"zh": "v", "ch": "i", "sh": "u"}

ZIRAN_FINALS = {
    "a": "a", "o": "o", "e": "e", "i": "i", "u": "u", "v": "v",
    "ai": "l", "an": "j", "ang": "h", "ao": "k", "ei": "z", "en": "f",
    "eng": "g", "ia": "w", "ian": "m", "iang": "d", "iao": "c", "ie": "x",
    "in": "n", "ing": "y", "iong": "s", "iu": "q", "ong": "s", "ou": "b",
    "ua": "w", "uai": "y", "uan": "r", "uang": "d", "ue": "t", "ve": "t",
    "ui": "v", "un": "p", "uo": "o",
}

XIAOHE_FINALS = {
    "a": "a", "o": "o", "e": "e", "i": "i", "u": "u", "v": "v",
    "ai": "d", "an": "j", "ang": "h", "ao": "c", "ei": "w", "en": "f",
    "eng": "g", "ia": "x", "ian": "m", "iang": "l", "iao": "n", "ie": "p",
    "in": "b", "ing": "k", "iong": "s", "iu": "q", "ong": "s", "ou": "z",
    "ua": "x", "uai": "k", "uan": "r", "uang": "l", "ue": "t", "ve": "t",
    "ui": "v", "un": "y", "uo": "o",
}

# Syllables without initial. 自然双拼 spells them as the system has always
# done (ei as ez, ng shares en); 小鹤双拼 doubles a one-letter final, keeps a
# two-letter one and writes a three-letter one as its first letter plus the
# final key.
ZIRAN_ZERO = {"a": "aa", "ai": "ai", "an": "an", "ang": "ah", "ao": "ao",
              "e": "ee", "ei": "ez", "en": "en", "er": "er", "o": "oo",
              "ou": "ou", "ng": "en"}
XIAOHE_ZERO = {"a": "aa", "ai": "ai", "an": "an", "ang": "ah", "ao": "ao",
               "e": "ee", "ei": "ei", "en": "en", "eng": "eg", "er": "er",
               "o": "oo", "ou": "ou", "ng": "en"}

LAYOUTS = {"ziran": (ZIRAN_FINALS, ZIRAN_ZERO), "xiaohe": (XIAOHE_FINALS, XIAOHE_ZERO)}


def split_syllable(syl):
    """(initial, final) of a syllable with an initial, else None."""
    for ini in INITIALS:
        if syl.startswith(ini) and len(syl) > len(ini):
            fin = syl[len(ini):]
            if fin in ZIRAN_FINALS:
                return ini, fin
    return None


def is_syllable(syl):
    """True when the 自然双拼 rules give the syllable a code."""
    return syl in ZIRAN_ZERO or split_syllable(syl) is not None


def code(syl, layout):
    """Two-key code of a syllable in a layout ("ziran" or "xiaohe"), or None."""
    finals, zero = LAYOUTS[layout]
    if syl in ZIRAN_ZERO:
        return zero.get(syl)
    parts = split_syllable(syl)
    if parts is None:
        return None
    ini, fin = parts
    return INITIAL_KEYS.get(ini, ini) + finals[fin]
