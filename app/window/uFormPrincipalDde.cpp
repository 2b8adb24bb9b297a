// The main window's DDE command server: the macro verbs that the desktop and later starts send.
#include "app/window/uFormPrincipal.h"

#include "app/model/KestrimaConfig.h"
#include "app/model/u_ddemacro.h"
#include "platform/core/Classes.h"

void TformPrincipal::buildDdeServer()
{
    FDdeServer = std::make_unique<Tddemacroserver>();
    FDdeServer->Onmacro = [this](const std::string& Verb, const std::string& Arg) { systemmacro(Verb, Arg); };
}

void TformPrincipal::discardDocuments()
{
    while (DocumentCount() > 0)
        removeDocument(0, false);
    documentsClosed();
    EditorOnChange();
}

void TformPrincipal::systemmacro(const std::string& Verb, const std::string& Arg)
{
    // Verbs compare with their case, as the registered macros spell them.
    if (Verb == "edit") {
        AbreArchivo(Arg, false, TipoDeArchivo(Arg));
    } else if (Verb == "new") {
        AbreArchivo(Arg, true, TipoDeArchivo(Arg));
    } else if (Verb == "editex") {
        discardDocuments();
        AbreArchivo(Arg, false, TipoDeArchivo(Arg));
    } else if (Verb == "newex") {
        discardDocuments();
        AbreArchivo(Arg, true, TipoDeArchivo(Arg));
    } else if (Verb == "openproyect") {
        // Documents the user keeps through Cancel stay open beside the project's.
        FormCloseQuery();
        if (!FileExists(Arg))
            return;
        openProjectFiles(Arg, true);
        FConfig->LastProyect = Arg;
        EditorOnChange();
    }
}
