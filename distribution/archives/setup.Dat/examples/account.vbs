' Sample script using the Tovex API
Set api = CreateObject("Tovex.API")
