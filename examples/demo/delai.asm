p16
;**************************************************************************
;** delai.asm : attentes logicielles (horloge interne 4 MHz : 1 æs/cycle)**
;**************************************************************************

        list    p=16f628a
        #include "demo.inc"

        global  Attente_ms

        udata_shr
compte_ms       res     1
compte_us       res     1

DELAI           code

;** Attente_ms : attend W millisecondes (W de 1 … 255) ******************
Attente_ms:
        movwf   compte_ms
AttMs:
        movlw   d'249'                  ; 249 tours de 4 cycles = 996 æs
        movwf   compte_us
AttUs:
        nop
        decfsz  compte_us, f
        goto    AttUs
        decfsz  compte_ms, f
        goto    AttMs
        return

        end
