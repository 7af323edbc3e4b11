p16
;**************************************************************************
;** serie.asm : liaison s‚rie (USART) du PIC16F628A                      **
;**************************************************************************

        list    p=16f628a
        #include "demo.inc"

        global  InitSerie, EnvoieOctet, EnvoieMessage

        udata_shr
index           res     1               ; caractŠre courant du message
octet           res     1

; Diviseur du g‚n‚rateur de d‚bit pour 4 MHz, BRGH = 1.
        if VITESSE == d'9600'
DIVISEUR        equ     d'25'
        else
        if VITESSE == d'19200'
DIVISEUR        equ     d'12'
        else
        error   "D‚bit non pr‚vu : choisir 9600 ou 19200 bauds"
        endif
        endif

SERIE           code

;** InitSerie : 8 bits, sans parit‚, ‚mission seule *******************
InitSerie:
        banksel SPBRG
        movlw   DIVISEUR
        movwf   SPBRG
        movlw   b'00100100'             ; TXEN, BRGH
        movwf   TXSTA
        banksel RCSTA
        movlw   b'10000000'             ; SPEN
        movwf   RCSTA
        return

;** EnvoieOctet : envoie l'octet de W *************************************
EnvoieOctet:
        banksel PIR1
        btfss   PIR1, TXIF              ; attend que le tampon soit libre
        goto    $-1
        movwf   TXREG
        return

;** EnvoieMessage : envoie le texte de Message jusqu'au z‚ro final *******
EnvoieMessage:
        clrf    index
EnvSuivant:
        movf    index, w
        call    LitMessage
        iorlw   0
        btfsc   STATUS, Z
        return                          ; z‚ro final : fini
        call    EnvoieOctet
        incf    index, f
        goto    EnvSuivant

; Renvoie dans W le caractŠre num‚ro W du message ; la table peut
; franchir une limite de 256 mots, d'o— le calcul complet de PCLATH.
LitMessage:
        movwf   octet
        movlw   HIGH Message
        movwf   PCLATH
        movf    octet, w
        addlw   LOW Message
        btfsc   STATUS, C
        incf    PCLATH, f
        movwf   PCL
Message:
        dt      "Bonjour KEP !", 0x0D, 0x0A, 0

        end
