// The templates editor: a child dialog listing the caller's templates (the
// list box sorts their names) beside the fields of one of them, with New,
// Delete, Save and the Add Field list of reminder fields. Save and Delete
// change the caller's list at once; the built-in template is shown but
// cannot be changed or deleted.
//
// The list is borrowed: it must outlive the window, and nothing else may add
// or remove records while the window is open (the editor keeps a pointer to
// the record it shows). Without a list the editor shows and saves nothing.
#pragma once

#include <windows.h>

#include <string>

#include "core/SMSTemplate.h"
#include "resources/resource.h"
#include "ui/PaintBkgnd.h"
#include "ui/ZentavoAxDialogImpl.h"

class CSMSTemplatesEditorCtrl : public CZentavoAxDialogImpl<CSMSTemplatesEditorCtrl>,
                                public CPaintBkgnd<CSMSTemplatesEditorCtrl>
{
public:
    enum
    {
        IDD = IDD_SMSTEMPLATESEDITORCTRL
    };

    static CMessageTable<CSMSTemplatesEditorCtrl> GetMessageTable();

    // Before the window is created.
    void SetTemplateList(CSMSTemplateVector* templates) noexcept { m_pTemplates = templates; }

    // True while the fields hold input that no Save has stored.
    bool IsEditing() const noexcept { return m_bEditing; }
    // Stores the fields into the shown record, or a new one: false, after
    // telling the user why, when they cannot be stored.
    bool SaveTemplate();

private:
    struct CFields
    {
        std::string name;
        std::string body;
    };

    LRESULT OnInitDialog(UINT message, WPARAM wParam, LPARAM lParam, bool& handled);
    LRESULT TemplateList_OnSelChange(UINT message, WPARAM wParam, LPARAM lParam, bool& handled);
    LRESULT NewBtn_OnClicked(UINT message, WPARAM wParam, LPARAM lParam, bool& handled);
    LRESULT DeleteBtn_OnClicked(UINT message, WPARAM wParam, LPARAM lParam, bool& handled);
    LRESULT SaveBtn_OnClicked(UINT message, WPARAM wParam, LPARAM lParam, bool& handled);
    LRESULT Field_OnChange(UINT message, WPARAM wParam, LPARAM lParam, bool& handled);
    LRESULT AddField_OnSelChange(UINT message, WPARAM wParam, LPARAM lParam, bool& handled);

    void UpdateState(bool editing);
    void ShowTemplate(const CSMSTemplate* shown);
    CFields ReadFields() const;
    bool CheckFields(const CFields& fields) const;
    // The name, numbered when another record takes it; empty when the
    // numbered name would be too long to store.
    std::string MakeUniqueName(const std::string& name) const;
    bool NameInUse(const std::string& name) const;
    // False when the user's Yes led to a save that failed.
    bool AskToSave();
    void FillTemplateList();
    void SelectTemplateRow(const std::string& name);
    std::string SelectedRowText() const;
    void SelectFromList();
    void ShowMessage(const std::string& text) const;

    CSMSTemplateVector* m_pTemplates = nullptr;  // not owned
    CSMSTemplate* m_pCurrent = nullptr;          // a record of the list, or none
    bool m_bModified = false;
    bool m_bEditing = false;
};
