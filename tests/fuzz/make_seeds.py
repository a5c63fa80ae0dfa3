#!/usr/bin/env python3
"""Writes the fuzz seed corpora next to this script.

The seeds are the interesting texts of the unit tests (full-width code page 936
bytes, a lone lead byte, exponent forms, the 32- and 64-bit limits) and a few
values that sit exactly on a rounding midpoint, which the unit tests lack.
Run it again after editing the lists; it replaces both seed folders.
"""

import shutil
from decimal import Decimal, getcontext
from pathlib import Path

HERE = Path(__file__).resolve().parent

# Enough precision for the exact decimal expansion of 2^-1075 (1075 digits).
getcontext().prec = 1200


def exact(value: Decimal) -> bytes:
    return format(value, "f").encode()


TEXT_TO_NUMBER = {
    "plain": b"100",
    "spaces": b"\t\n\v\f\r  12",
    "trailing_text": b"12ms",
    "comma": b"1,000",
    "hex_prefix": b"0x1A",
    "fullwidth_100": b"\xa3\xb1\xa3\xb0\xa3\xb0",
    "fullwidth_minus": b"\xa3\xad\xa3\xb5",
    "fullwidth_point": b"\xa3\xb1\xa3\xae\xa3\xb5",
    "fullwidth_exponent": b"\xa3\xb1\xa3\xe5\xa3\xb3",
    "fullwidth_plus": b"\xa3\xab\xa3\xb7",
    "ideographic_space": b"\xa1\xa1\xa3\xb5\xa3\xb0",
    "ideographic_stop": b"\xa3\xb1\xa1\xa3\xa3\xb5",
    "star_then_digit": b"\xa1\xee\xa3\xb5",
    "han_then_digit": b"\xb0\xa15",
    "lone_lead_byte": b"5\xa3",
    "low_trail_byte": b"\x81\x31" b"5",
    "nul_inside": b"12\x0034",
    "d_exponent": b"1d3",
    "exponent_no_digits": b"1e+",
    "exponent_bad_sign": b"1e+-2",
    "point_exponent": b".5e3",
    "sign_point": b"-.e5",
    "negative_zero": b"-0.000e5",
    "period_limits": b"21474836.47e2",
    "wrap_32": b"4294967396",
    "below_2_63": b"9223372036854774784",
    "near_2_63": b"9223372036854775807",
    "huge_exponent": b"1e99999999999999999999",
    "tiny_exponent": b"-1e-99999999999999999999",
    "least_subnormal": b"4.9406564584124654e-324",
    "largest": b"1.7976931348623157e308",
    "long_fraction": b"0." + b"9" * 400,
    "long_integer": b"1" + b"0" * 399 + b"e-399",
    "long_zeros": b"-" + b"0" * 300 + b"42",
    # Exact midpoints: 2^53 + 1, 1 + 2^-53, the largest double and 2^1024,
    # 0 and the least subnormal.
    "tie_2_53": b"9007199254740993",
    "tie_one": exact(1 + Decimal(2) ** -53),
    "tie_overflow": exact(Decimal(2) ** 1024 - Decimal(2) ** 970),
    "tie_underflow": exact(Decimal(2) ** -1075),
}

INTEGER_ENTRY = {
    "plain": b"007",
    "zero": b"-0",
    "minus_only": b"-",
    "digits_then_minus": b"12-3",
    "above_int32": b"99999999999",
    "below_int32": b"-99999999999",
    "int32_min": b"-2147483648",
    "int32_max_plus_one": b"2147483648",
    "int32_min_minus_one": b"-2147483649",
    "spaces": b"\t\r\n -8",
    "plus": b"+5",
    "two_signs": b"--5",
    "wrap_minus_one": b"18446744073709551615",
    "wrap_zero": b"18446744073709551616",
    "wrap_int64_min": b"-9223372036854775808",
    "fullwidth_digits": b"\xa3\xb1\xa3\xb2",
    "nul_inside": b"12\x0034",
    "long_digits": b"9" * 300,
}


def write(folder: str, seeds: dict) -> None:
    target = HERE / folder
    shutil.rmtree(target, ignore_errors=True)
    target.mkdir()
    for name, data in seeds.items():
        (target / name).write_bytes(data)


write("seeds_text_to_number", TEXT_TO_NUMBER)
write("seeds_integer_entry", INTEGER_ENTRY)
