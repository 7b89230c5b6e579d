// One SMS recipient and the two text forms of a recipient list: the contact
// list the user edits ("Ann Lee [123]; 456; ") and the bare number list the
// gateway takes ("123,456").
#pragma once

#include <windows.h>

#include <string>
#include <vector>

class CSMSContact
{
public:
    CSMSContact() = default;
    CSMSContact(std::string name, std::string number);
    CSMSContact(const CSMSContact&) = default;
    CSMSContact(CSMSContact&&) = default;
    CSMSContact& operator=(const CSMSContact&) = default;
    CSMSContact& operator=(CSMSContact&&) = default;
    virtual ~CSMSContact() = default;

    // Either may be empty; nothing here checks or normalises them.
    std::string m_Name;
    std::string m_Number;
};

using CSMSContactVector = std::vector<CSMSContact>;

class CSMSContactUtils
{
public:
    // Per contact its name, a blank and its number in brackets, or the number
    // alone when the name is empty or equals the number; each entry ends in
    // "; ". "[", "]" and ";" inside names and numbers become "(", ")" and ",",
    // so the text always parses back.
    static std::string GenerateContactCSVList(const CSMSContactVector& contacts);
    // The same for the contacts [first, last) within contacts.
    static std::string GenerateContactCSVListRange(const CSMSContactVector& contacts,
                                                   CSMSContactVector::const_iterator first,
                                                   CSMSContactVector::const_iterator last);

    // The numbers as stored, joined by "," (empty numbers keep their place).
    static std::string GenerateNumberCSVList(const CSMSContactVector& contacts);
    // The numbers of [first, last) within contacts.
    static std::string GenerateNumberCSVListRange(const CSMSContactVector& contacts,
                                                  CSMSContactVector::const_iterator first,
                                                  CSMSContactVector::const_iterator last);

    // Appends the contacts found in a contact list text; entries end at ";",
    // carriage return or line feed. "Name [number]" gives one contact (text
    // after "]" is ignored); any other entry is split at "," into contacts
    // whose name is their number. Malformed text is read, never rejected.
    static void ParseContactCSVList(const std::string& text, CSMSContactVector& contacts);

    // Whether the contact holds a number to send to: not when its number is
    // empty or only blanks and the separators "," and ";" ("Bob []"), which
    // the gateway would pass over without a word.
    static bool HasNumber(const CSMSContact& contact);

    // Whether two numbers provably reach one phone: the same digits once
    // blanks, punctuation, a leading "+" or "00" and the "(0)" of an
    // international number are set aside, so "+44 (0)7700 900123" and
    // "447700900123" are one phone. A national number ("07700 900123") is
    // read as a number of the country of `location` (a Windows location id,
    // GetUserGeoID): it reaches the phone of "+44 7700 900123" under a UK
    // location, and under a location whose dialling is not known here only
    // the phone of its own digits. Numbers without digits reach no phone.
    static bool IsSamePhone(const std::string& a, const std::string& b, GEOID location);
    // Gives each number of a field that holds several ("07700 900001, 07700
    // 900002") a contact of its own with the field's name, then drops every
    // contact whose phone an earlier one already reaches (IsSamePhone),
    // keeping the first form; contacts without digits all stay. National
    // numbers are read in the Windows user's location.
    static void RemoveRepeatedPhones(CSMSContactVector& contacts, GEOID location = ::GetUserGeoID(GEOCLASS_NATION));
};
