"""Message part counting as the gateway charges it (GSM 03.38 or UCS-2)."""

# GSM 03.38 default alphabet, in table order.
GSM_BASIC = (
    "@\u00a3$\u00a5\u00e8\u00e9\u00f9\u00ec\u00f2\u00c7\n\u00d8\u00f8\r\u00c5\u00e5"
    "\u0394_\u03a6\u0393\u039b\u03a9\u03a0\u03a8\u03a3\u0398\u039e\x1b\u00c6\u00e6\u00df\u00c9"
    " !\"#\u00a4%&'()*+,-./0123456789:;<=>?"
    "\u00a1ABCDEFGHIJKLMNOPQRSTUVWXYZ\u00c4\u00d6\u00d1\u00dc\u00a7"
    "\u00bfabcdefghijklmnopqrstuvwxyz\u00e4\u00f6\u00f1\u00fc\u00e0"
)
# Characters reached through the escape; each counts two septets.
GSM_EXTENSION = "\f^{}\\[~]|\u20ac"

_BASIC = frozenset(GSM_BASIC)
_EXTENSION = frozenset(GSM_EXTENSION)


def is_gsm_text(text):
    return all(c in _BASIC or c in _EXTENSION for c in text)


def septet_count(text):
    return sum(2 if c in _EXTENSION else 1 for c in text)


def message_parts(text):
    """Number of SMS parts the text needs: 160/153 septets for GSM text,
    70/67 UTF-16 units otherwise. An empty text is one part."""
    if is_gsm_text(text):
        length, single, multi = septet_count(text), 160, 153
    else:
        length = len(text.encode("utf-16-le")) // 2
        single, multi = 70, 67
    if length <= single:
        return 1
    return -(-length // multi)
