#pragma once
// TQVForm: the root form of the system. The document forms (through TfrmRadical) and the dialogs derive
// from it. It gives every form a code converter and a language controller, loads the language file of
// each class of a form's class chain, fixes fonts for the English user interface, clears input-method
// names, and turns single-image button glyphs into two-state glyphs with a drawn disabled image.
//
// A descendant declares its form stream beside its class ("inherited frmX: TfrmX ... end") and passes
// load false to its parent's constructor, applying the streams of its whole chain itself:
//
//     TfrmX::TfrmX(TComponent* owner, bool load) : TQVForm(owner, false) {
//         if (load) InitInheritedComponent(this);
//     }
#include "classlib/controls/dialogs.h"
#include "classlib/controls/forms.h"
#include "classlib/graphics/bitmap.h"
#include "foundation/CodeConverter.h"
#include "foundation/LangCtrl.h"

// The raster operation that paints the brush where a monochrome mask's bits are set (DSPDxax), with
// the text colour black and the background white.
constexpr TCopyMode ROP_DSPDxax = 0x00E20746;

class TQVForm : public TForm {
    KVR_CLASS(TQVForm, TForm)
public:
    explicit TQVForm(TComponent* owner, bool load = true);

    // Published fields.
    TCodeConverter* QvConverter = nullptr;
    TQvLangController* LangController = nullptr;
    // Further fields, in order.
    bool Converted = false;          // the form's texts were converted once
    bool LoadLanguageOnShow = false; // true after FormCreate; the document forms turn it off

    // Virtual operations, in slot order.
    // The language files of the classes from just below the class library's form class down to
    // target's own class, base first.
    virtual void LoadLanguage(TComponent* target);
    // The same, the walk stopping below TQVForm too; for a data module every class of its chain.
    virtual void LoadModuleLanguage(TComponent* target);

    void ConvertCodePage();
    int ShowMessageDlg(const AnsiString& text, TMsgDlgType dialogType, TMsgDlgButtons buttons);
    AnsiString GetSystemCodePage() const;
    AnsiString GetDBCodePage() const;
    AnsiString GetUICodePage() const;
    Byte GetUIConvertMode() const;
    Byte GetDBConvertMode() const;
    void LoadOwnLanguage();
    // The text of (section, ident) in the language files of the controller's design type; default
    // (through the user-interface conversion when convertDefault) when there is none.
    void GetLangString(const AnsiString& section, const AnsiString& ident, AnsiString& text,
                       bool convertDefault, const AnsiString& defaultText);

    // Handlers of the form stream.
    void FormCreate(TObject* sender);
    void FormShow(TObject* sender);

private:
    void ApplyLanguageChain(TComponent* target, TClass stopAt, TClass alsoStopAt);
};

// A disabled image of the glyph: its dark pixels and its outline embossed in the button-highlight and
// button-shadow colours on the button face. The glyph itself is switched to 24 bits per pixel.
TBitmap* CreateDisabledGlyph(TBitmap* glyph);
// The glyph becomes two images side by side: itself, then its disabled image.
void MakeTwoStateGlyph(TBitmap* glyph);
